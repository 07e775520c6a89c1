// The adaptive DataMatrix finder from a seed: tracking with a level that follows the local
// contrast, then the L chosen among the three longest straight runs. It reports the L
// (corner and both far ends) in the tracker result's corner words, not a rectangle.
#include <stdlib.h>

#include <algorithm>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/frame/check.h"
#include "id/idut/locate2d/boundary_analysis.h"
#include "id/idut/locate2d/seed_site.h"

namespace {

constexpr int32_t pollFromPoints = 400;
constexpr int64_t legTangent = 2605;       // |tan| x 1000 of about 69 degrees
constexpr int32_t unmarkedTail = 10;       // points left unmarked where the edge faded
constexpr int32_t seedLegTolerance = 5;

// Visit-map value of a contour point: 1 + its pixel column mod 4.
uint8_t visitValue(int32_t pixelX) { return uint8_t(1 + (pixelX & 3)); }

void markPoints(const cbt_result& boundary, int32_t first, int32_t last, ccVisitMap* visits) {
  for (int32_t i = first; i < last; ++i) {
    const int32_t x = cid2d_trackerPixel(boundary.points[i].x);
    const int32_t y = cid2d_trackerPixel(boundary.points[i].y);
    visits->set(x >> 2, y >> 2, visitValue(x));
  }
}

// Straight-run rules: the tolerance grows with the smoothing span.
cid2d_runRules adaptiveRunRules(int32_t span) {
  const int32_t t = span > 3 ? 16 * std::min(7, (3 * span + 1) / 2) : 64;
  return cid2d_runRules{t, span, 9 * t, true};
}

int32_t curvatureSum(const int32_t* curvature, int32_t n, const cid2d_segment& s) {
  int32_t sum = 0;
  for (int32_t i = s.start; i < s.end; ++i) sum += curvature[i % n];
  return sum;
}

// Whether a is straighter than b: less curvature per point.
bool straighter(const int32_t* curvature, int32_t n, const cid2d_segment& a, const cid2d_segment& b) {
  return int64_t{curvatureSum(curvature, n, a)} * (b.end - b.start + 1) <
         int64_t{curvatureSum(curvature, n, b)} * (a.end - a.start + 1);
}

// Whether m's start lies strictly between a's and b's.
bool between(const cid2d_segment& m, const cid2d_segment& a, const cid2d_segment& b) {
  return std::min(a.start, b.start) < m.start && m.start < std::max(a.start, b.start);
}

// Picks the two legs among the three longest segments; false when no pair qualifies.
bool chooseLegs(const cid2d_point* smoothed, const int32_t* curvature, int32_t n,
                const cid2d_segment* s, int32_t count, cid2d_segment* legA, cid2d_segment* legB) {
  auto tangent = [&](const cid2d_segment& a, const cid2d_segment& b) {
    const cid2d_chord ca = cid2d_segmentChord(smoothed, n, a), cb = cid2d_segmentChord(smoothed, n, b);
    return llabs(cid2d_tangent1000(ca.dx(), ca.dy(), cb.dx(), cb.dy()));
  };
  if (tangent(s[0], s[1]) < legTangent) {
    if (count < 3) return false;
    const cid2d_segment& first =
        between(s[2], s[0], s[1]) && straighter(curvature, n, s[1], s[0]) ? s[1] : s[0];
    if (tangent(first, s[2]) <= legTangent || s[2].lengthSq <= 31) return false;
    *legA = first;
    *legB = s[2];
    return true;
  }
  *legA = s[0];
  *legB = s[1];
  if (count >= 3 && 3 * int64_t{s[2].lengthSq} > 2 * int64_t{s[1].lengthSq}) {
    if (between(s[0], s[1], s[2]) && tangent(s[0], s[2]) >= legTangent + 1) {
      if (!straighter(curvature, n, s[1], s[2])) *legB = s[2];
    } else if (between(s[1], s[0], s[2]) && tangent(s[1], s[2]) >= legTangent + 1) {
      if (!straighter(curvature, n, s[0], s[2])) *legA = s[2];
    }
  }
  return true;
}

struct pixelPoint {
  int32_t x, y;
};
int32_t cityBlock(const pixelPoint& a, const pixelPoint& b) { return abs(a.x - b.x) + abs(a.y - b.y); }
pixelPoint wholePixels(const cid2d_point& p) { return {p.x >> 4, p.y >> 4}; }

// The L in contour order: `in` runs into the corner, `out` leaves it.
struct contourL {
  pixelPoint corner;
  pixelPoint inStart, inEnd;    // the in-running leg; its start is its far end
  pixelPoint outStart, outEnd;  // the out-running leg; its end is its far end
  int32_t inEndIndex, outStartIndex;
};

// The corner of two legs' chord lines, whole pixels; false for parallel chords.
bool legCorner(const cid2d_chord& a, const cid2d_chord& b, pixelPoint* corner) {
  const int64_t cross = a.dx() * b.dy() - a.dy() * b.dx();
  if (cross == 0) return false;
  const double t =
      double((int64_t{b.from.x} - a.from.x) * b.dy() - (int64_t{b.from.y} - a.from.y) * b.dx()) /
      double(cross);
  *corner = wholePixels(cid2d_point{int32_t(a.from.x + t * a.dx()), int32_t(a.from.y + t * a.dy())});
  return true;
}

// The plausibility tests of an L against its own legs (city-block distances, pixels).
bool isPlausibleL(const contourL& l, const cimg_windowConst& window) {
  if (!(cityBlock(l.corner, l.inEnd) < cityBlock(l.corner, l.inStart)) ||
      !(cityBlock(l.corner, l.outStart) < cityBlock(l.corner, l.outEnd)))
    return false;
  const int32_t gap = std::max(abs(l.inEnd.x - l.outStart.x), abs(l.inEnd.y - l.outStart.y));
  const bool closeAlongContour = gap < l.outStartIndex - l.inEndIndex;
  auto legFails = [&](const pixelPoint& nearEnd, const pixelPoint& farEnd) {
    const int32_t near = cityBlock(l.corner, nearEnd), far = cityBlock(l.corner, farEnd);
    const int32_t len = cityBlock(nearEnd, farEnd);
    return near < len && far < len && far < 20 * near && (near > 1 || closeAlongContour);
  };
  if (legFails(l.inEnd, l.inStart) || legFails(l.outStart, l.outEnd)) return false;
  return l.corner.x >= 0 && l.corner.x < window.width && l.corner.y >= 0 &&
         l.corner.y < window.height;
}

// Whether the seed lies on the leg from corner to farEnd.
bool seedOnLeg(const pixelPoint& seed, const pixelPoint& corner, const pixelPoint& farEnd) {
  const int32_t length = cityBlock(corner, farEnd);
  const int32_t tolerance = std::min(seedLegTolerance, std::max(2, length / 32));
  const int32_t d1 = cityBlock(seed, corner), d2 = cityBlock(seed, farEnd);
  return d1 + d2 <= length + tolerance || std::min(d1, d2) <= tolerance;
}

}  // namespace

extern "C" int32_t cf_BndFindDMSymbolFromSeed_Adaptive(const cimg_imageConst* image,
                                                       const cid2d_trackingParams* params,
                                                       const cid2d_trackingSeed* seed,
                                                       const cbt_runParams* runParams,
                                                       cimg_image* visitMap, const cid_mask* mask,
                                                       const cmath_xformLinear* maskXform,
                                                       int32_t extra,
                                                       cid2d_trackingResult* result) {
  CIDUT_CHECK(image && params && seed && runParams && visitMap && result);
  CIDUT_CHECK(params->scratch != nullptr && params->scratchBytes >= CID2D_SCRATCH_BYTES);

  // Preparation.
  cbt_runParams run = cid2d_seedRunParams(*runParams, *seed, *params);
  run.strength = seed->strength;
  run.adaptive = 1;
  result->seed = *seed;
  result->found = 0;
  cid2d_seedSite site;
  bool isFree;
  if (const int32_t status =
          cid2d_openSeedSite(image, visitMap, mask, maskXform, *seed, &site, &isFree);
      status < 0 || !isFree)
    return status;
  const cimg_windowConst& window = site.window;

  // Tracking and marking.
  cbt_result& boundary = result->boundary;
  boundary.markMode = CBT_MARK_ALL;
  const int32_t tracked = cbt_boundaryTrack_Adaptive(image, &run, extra, &boundary);
  if (tracked == CBT_STATUS_NO_BOUNDARY) return 0;
  if (tracked < 0) return tracked;
  site.visits.set(seed->x >> 2, seed->y >> 2, visitValue(seed->x));
  if (!(boundary.flags & CBT_FLAG_USABLE)) return 0;
  if (boundary.numPoints == 0) return CIDUT_ERR_NO_BOUNDARY;
  const cid2d_contourBuffers buffers = cid2d_carveBuffers(params->scratch);
  const int32_t numPoints = cid2d_takeContour(boundary, buffers.contour);
  if (numPoints >= pollFromPoints)
    if (const int32_t status = csys_attention_check(); status < 0) return status;
  if (boundary.markMode == CBT_MARK_ALL_BUT_LAST_10)
    markPoints(boundary, 0, std::max(0, numPoints - unmarkedTail), &site.visits);
  else if (boundary.markMode != CBT_MARK_NONE)
    markPoints(boundary, 0, numPoints, &site.visits);

  // Contour checks.
  if (numPoints < 2 * params->minSize || (boundary.flags & CBT_FLAG_REJECTED) ||
      ((boundary.flags & CBT_FLAG_OPEN) && !params->allowBorderTouch))
    return 0;
  const int32_t n = cid2d_halveContour(buffers.contour, numPoints);
  if (const int32_t status = csys_attention_check(); status < 0) return status;
  const cid2d_box box = cid2d_boundingBox(buffers.contour, n);
  const int32_t w = (box.maxX - box.minX) >> 4, h = (box.maxY - box.minY) >> 4;
  const int32_t longer = std::max(w, h), shorter = std::min(w, h);
  if (w >= window.width - 1 || h >= window.height - 1 || 5 * w < h || 5 * h < w) return 0;
  if (extra == 0 ? shorter < params->minSize || longer > params->maxSize
                 : longer < params->minSize || longer > params->maxSize)
    return 0;

  // Segmentation.
  const int32_t span = cid2d_smoothingSpan(w, h, *params);
  cid2d_smoothContour(buffers.contour, n, span, buffers.smoothed);
  if (cid2d_contourCurvature(buffers.smoothed, n, span, buffers.curvature) < 32) return 0;
  const int32_t count = cid2d_findStraightRuns(buffers.smoothed, buffers.curvature, n,
                                               adaptiveRunRules(span), buffers.segments);
  cid2d_sortSegments(buffers.segments, count);
  if (count < 2 || buffers.segments[1].lengthSq < 32) return 0;

  // The L.
  cid2d_segment legA, legB;
  if (!chooseLegs(buffers.smoothed, buffers.curvature, n, buffers.segments, count, &legA, &legB))
    return 0;
  const bool aFirst = legA.start < legB.start;
  const cid2d_segment& in = aFirst ? legA : legB;
  const cid2d_segment& out = aFirst ? legB : legA;
  const cid2d_chord inChord = cid2d_segmentChord(buffers.smoothed, n, in);
  const cid2d_chord outChord = cid2d_segmentChord(buffers.smoothed, n, out);
  contourL l;
  if (!legCorner(inChord, outChord, &l.corner)) return 0;
  l.inStart = wholePixels(inChord.from);
  l.inEnd = wholePixels(inChord.to);
  l.outStart = wholePixels(outChord.from);
  l.outEnd = wholePixels(outChord.to);
  l.inEndIndex = in.end - 1;
  l.outStartIndex = out.start;

  // Corner and far ends into the result's corner words: the longer leg's pair first when
  // it turns towards the other leg (non-negative cross product), second otherwise.
  const cid2d_segment& longerLeg = legA.lengthSq >= legB.lengthSq ? legA : legB;
  const cid2d_chord longChord = &longerLeg == &in ? inChord : outChord;
  const cid2d_chord shortChord = &longerLeg == &in ? outChord : inChord;
  const pixelPoint longFar = &longerLeg == &in ? l.inStart : l.outEnd;
  const pixelPoint shortFar = &longerLeg == &in ? l.outEnd : l.inStart;
  const bool longFirst = longChord.dx() * shortChord.dy() - longChord.dy() * shortChord.dx() >= 0;
  const pixelPoint first = longFirst ? longFar : shortFar, second = longFirst ? shortFar : longFar;
  const int32_t words[8] = {l.corner.x, l.corner.y, l.corner.x, l.corner.y,
                            first.x,    first.y,    second.x,   second.y};
  std::copy(words, words + 8, boundary.corners);

  if (!isPlausibleL(l, window)) return 0;
  if (extra == 0 && boundary.markMode == CBT_MARK_NONE) {
    const pixelPoint seedPixel{seed->x, seed->y};
    if (!seedOnLeg(seedPixel, l.corner, l.inStart) && !seedOnLeg(seedPixel, l.corner, l.outEnd))
      return 0;
    if (numPoints > 2 * unmarkedTail)
      markPoints(boundary, unmarkedTail, numPoints - unmarkedTail, &site.visits);
  }
  result->found = 1;
  result->foundScanIndex = params->startScanIndex;
  return 0;
}
