// The L fit of the DataMatrix finder. Coordinates in 1/16 pixel; angles as |tan| x 1000;
// squared segment lengths in quarter pixels squared.
#include "id/idut/locate2d/dm_l_fit.h"

#include <stdlib.h>

#include <cmath>

#include "kit/math.h"
#include "kit/system.h"

namespace {

struct fitLimits {
  int32_t minRatio;  // percent, the shorter side's extent relative to the longer
  int32_t maxRatio;
  int64_t leastTangent;  // |tan| x 1000 of the corner angle
};

fitLimits limitsFor(const cid2d_trackingParams& params, cid2d_shapeMode shapeMode) {
  if (params.extraRelaxedFit && shapeMode == cid2d_shapeAny) return {56, 177, 1732};  // 60 deg
  if (params.relaxedFit) return {62, 160, 2748};                                    // 70 deg
  return {75, 133, 4332};                                                           // 77 deg
}

// Extent ratios of the rectangular symbol shapes (open intervals, percent).
constexpr int32_t rectangularRatios[][2] = {{175, 266}, {266, 333}, {330, 470},
                                            {37, 57},   {26, 36},   {20, 30}};

}  // namespace

bool cid2d_ratioFitsShape(int64_t ratio, cid2d_shapeMode shapeMode,
                          const cid2d_trackingParams& params) {
  const fitLimits limits = limitsFor(params, shapeMode);
  switch (shapeMode) {
    case cid2d_shapeAny:
      return true;
    case cid2d_shapeSquare:
      return ratio >= limits.minRatio && ratio <= limits.maxRatio;
    case cid2d_shapeRectangular:
      for (const auto& window : rectangularRatios)
        if (ratio > window[0] && ratio < window[1]) return true;
      return false;
  }
  return false;
}

namespace {

// A line through a point along a direction, 1/16 pixel.
struct line16 {
  double x, y, dx, dy;
};

line16 chordLine(const cid2d_chord& c) {
  return {double(c.from.x), double(c.from.y), double(c.dx()), double(c.dy())};
}

line16 parallelThrough(const line16& l, double x, double y) { return {x, y, l.dx, l.dy}; }

// False for parallel lines.
bool intersect(const line16& a, const line16& b, cmath_vect* point) {
  const double cross = a.dx * b.dy - a.dy * b.dx;
  if (cross == 0.0) return false;
  const double t = ((b.x - a.x) * b.dy - (b.y - a.y) * b.dx) / cross;
  *point = cmath_vect{a.x + t * a.dx, a.y + t * a.dy};
  return true;
}

// Distance of a point from a line, 1/16 pixel, truncated.
int64_t distanceFrom(const cid2d_point& p, const line16& l) {
  const double cross = (p.x - l.x) * l.dy - (p.y - l.y) * l.dx;
  return int64_t(std::fabs(cross) / std::hypot(l.dx, l.dy));
}

int64_t tangent(const cid2d_chord& a, const cid2d_chord& b) {
  return cid2d_tangent1000(a.dx(), a.dy(), b.dx(), b.dy());
}

// The chord end farther from the corner (the start only when strictly farther), with its
// contour index.
struct contourPoint {
  cid2d_point point;
  int32_t index;
};
contourPoint farEnd(const cid2d_segment& s, const cid2d_chord& c, const cmath_vect& corner) {
  auto distanceSq = [&](const cid2d_point& p) {
    return (p.x - corner.x) * (p.x - corner.x) + (p.y - corner.y) * (p.y - corner.y);
  };
  if (distanceSq(c.from) > distanceSq(c.to)) return {c.from, s.start};
  return {c.to, s.end - 1};
}

// How far the contour reaches away from `other` beyond a leg's far end: walks both ways
// along the contour (at most a quarter of it each way) until the distance from `other`
// falls 3 pixels below its largest value.
struct extent {
  int64_t distance = -1;
  cid2d_point point{};
};
extent edgeExtent(const cid2d_point* halved, int32_t n, int32_t from, const line16& other) {
  constexpr int64_t fallToStop = 48;  // 3 pixels
  auto walk = [&](int32_t direction) {
    extent best;
    for (int32_t step = 0; step <= n / 4; ++step) {
      const cid2d_point& p = cid2d_pointAt(halved, n, from + direction * step);
      const int64_t d = distanceFrom(p, other);
      if (d > best.distance) best = extent{d, p};
      else if (d <= best.distance - fallToStop) break;
    }
    return best;
  };
  const extent forward = walk(1);
  const extent backward = walk(-1);
  return forward.distance > backward.distance ? forward : backward;
}

// A side's score: its segment's length relative to its edge's extent, per mille; values
// above 1000 (a segment longer than its edge) count as 500.
int32_t sideScore(int32_t lengthSq, int64_t extent16) {
  const int64_t length = cmath_sqrt32(uint32_t(lengthSq / 16)) & 0xFFFF;  // pixels
  const int64_t score = length * 1000 / (extent16 / 16);
  return score > 1000 ? 500 : int32_t(score);
}

bool differsInBoth(const cmath_vect& a, const cmath_vect& b, double by) {
  return std::fabs(a.x - b.x) > by && std::fabs(a.y - b.y) > by;
}

bool differsInEither(const cmath_vect& a, const cmath_vect& b, double by) {
  return std::fabs(a.x - b.x) > by || std::fabs(a.y - b.y) > by;
}

cmath_vect scaled(const cmath_vect& v, double factor) { return {v.x * factor, v.y * factor}; }

// The relaxed fit's search for the corner opposite P0 among the other segments. On
// success replaces the candidate's sides and measured fourth corner.
void findOppositeCorner(const cid2d_point* smoothed, int32_t n, const cid2d_segment* segments,
                        int32_t count, int32_t legI, const line16& leg0, const line16& legi,
                        const cid2d_chord& chord0, const cid2d_chord& chordI,
                        const fitLimits& limits, int64_t longExtent, int64_t shortExtent,
                        const cmath_vect& p0, const cmath_vect& p1, const cmath_vect& p2,
                        cid2d_lCandidate* candidate) {
  const cmath_vect p3{p1.x + p2.x - p0.x, p1.y + p2.y - p0.y};
  const int64_t halfTangent = limits.leastTangent / 2;
  auto farFrom = [](const cmath_vect& a, const cmath_vect& b) {
    return std::fabs(a.x - b.x) >= 160 || std::fabs(a.y - b.y) >= 160;
  };
  for (int32_t j = 1; j < count; ++j) {
    if (j == legI || segments[j].lengthSq < 1024) continue;
    const cid2d_chord chordJ = cid2d_segmentChord(smoothed, n, segments[j]);
    for (int32_t m = j + 1; m < count; ++m) {
      if (m == legI) continue;
      if (segments[m].lengthSq < 145 || segments[m].lengthSq < segments[j].lengthSq / 255) return;
      const cid2d_chord chordM = cid2d_segmentChord(smoothed, n, segments[m]);
      if (llabs(tangent(chordJ, chordM)) < limits.leastTangent) continue;
      cmath_vect q;
      if (!intersect(chordLine(chordJ), chordLine(chordM), &q)) continue;
      const int32_t scoreJ = sideScore(segments[j].lengthSq, longExtent);
      const int32_t scoreM = sideScore(segments[m].lengthSq, shortExtent);
      if (scoreJ < 500 || scoreM < 500 || std::max(scoreJ, scoreM) < 600) continue;
      if (!farFrom(q, p0) || !farFrom(q, p1) || !farFrom(q, p2)) continue;
      // The side crossing leg i meets it in N1; the other meets leg 0 in N2.
      cid2d_chord towardsI = chordJ, towards0 = chordM;
      if (llabs(tangent(towardsI, chordI)) < halfTangent) std::swap(towardsI, towards0);
      if (llabs(tangent(towards0, chord0)) < halfTangent) continue;
      cmath_vect n1, n2;
      if (!intersect(chordLine(towardsI), legi, &n1) || !intersect(chordLine(towards0), leg0, &n2))
        continue;
      const bool newSides = (differsInBoth(n1, p1, 16) && differsInBoth(n2, p2, 16)) ||
                            (differsInBoth(n1, p2, 16) && differsInBoth(n2, p1, 16)) ||
                            differsInEither(q, p3, 16);
      const bool opposite = std::fabs(q.x - p0.x) > std::fabs(p3.x - p0.x) / 2 &&
                            std::fabs(q.y - p0.y) > std::fabs(p3.y - p0.y) / 2;
      if (newSides && opposite && differsInBoth(n1, p0, 16) && differsInBoth(n2, p0, 16)) {
        candidate->side1 = scaled(n1, 1.0 / 16);
        candidate->side2 = scaled(n2, 1.0 / 16);
        candidate->fourth = scaled(q, 1.0 / 16);
        candidate->fourthCornerInferred = 0;
        return;
      }
    }
  }
}

}  // namespace

int32_t cid2d_fitDataMatrixL(const cid2d_point* halved, const cid2d_point* smoothed, int32_t n,
                             const cid2d_segment* segments, int32_t count,
                             cid2d_shapeMode shapeMode, const cid2d_trackingParams& params,
                             cid2d_lCandidate* candidate) {
  *candidate = cid2d_lCandidate{};
  if (count < 2 || segments[0].lengthSq < 1024) return 0;
  const fitLimits limits = limitsFor(params, shapeMode);
  const cid2d_chord chord0 = cid2d_segmentChord(smoothed, n, segments[0]);
  const line16 leg0 = chordLine(chord0);
  for (int32_t i = 1; i < count; ++i) {
    const cid2d_segment& si = segments[i];
    if (si.lengthSq < 145 || si.lengthSq < segments[0].lengthSq / 255) return 0;
    const cid2d_chord chordI = cid2d_segmentChord(smoothed, n, si);
    const int64_t t = tangent(chord0, chordI);
    if (llabs(t) < limits.leastTangent) continue;
    const line16 legi = chordLine(chordI);
    cmath_vect corner;
    if (!intersect(leg0, legi, &corner)) continue;
    corner = cmath_vect{std::floor(corner.x), std::floor(corner.y)};

    const contourPoint far0 = farEnd(segments[0], chord0, corner);
    const extent e0 = edgeExtent(halved, n, far0.index, legi);
    if (const int32_t status = csys_attention_check(); status < 0) return status;
    const contourPoint farI = farEnd(si, chordI, corner);
    const extent ei = edgeExtent(halved, n, farI.index, leg0);
    if (const int32_t status = csys_attention_check(); status < 0) return status;

    const int64_t longExtent = std::max(e0.distance, ei.distance);
    const int64_t shortExtent = std::min(e0.distance, ei.distance);
    if (longExtent * longExtent < int64_t{segments[0].lengthSq} * 64 / 9 || ei.distance <= 15)
      continue;
    if (!cid2d_ratioFitsShape(100 * e0.distance / ei.distance, shapeMode, params)) continue;

    // Each side ends where the line through its edge's farthest point, parallel to the
    // other leg, crosses it.
    cmath_vect c0, ci;
    if (!intersect(leg0, parallelThrough(legi, e0.point.x, e0.point.y), &c0) ||
        !intersect(legi, parallelThrough(leg0, ei.point.x, ei.point.y), &ci))
      continue;
    const cmath_vect p1 = t >= 0 ? ci : c0;
    const cmath_vect p2 = t >= 0 ? c0 : ci;
    candidate->found = true;
    candidate->corner = scaled(corner, 1.0 / 16);
    candidate->side1 = scaled(p1, 1.0 / 16);
    candidate->side2 = scaled(p2, 1.0 / 16);
    candidate->fourth = scaled(cmath_vect{p1.x + p2.x - corner.x, p1.y + p2.y - corner.y}, 1.0 / 16);
    candidate->fourthCornerInferred = 1;

    const int32_t s0 = sideScore(segments[0].lengthSq, longExtent);
    const int32_t s1 = sideScore(si.lengthSq, shortExtent);
    candidate->score = (s0 + s1) / 2;
    if (llabs(t) < 4332) candidate->score = candidate->score * 8 / 10;

    if (params.relaxedFit)
      findOppositeCorner(smoothed, n, segments, count, i, leg0, legi, chord0, chordI, limits,
                         longExtent, shortExtent, corner, p1, p2, candidate);
    return 0;
  }
  return 0;
}
