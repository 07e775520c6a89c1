// The ring (PDP) finder from a seed: track the ring's contour through the seed, cut it
// into straight runs and fit its quadrilateral, or complete it from three sides.
#include <stdlib.h>

#include <algorithm>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "id/idut/locate2d/boundary_analysis.h"
#include "id/idut/locate2d/pdp_quadrilateral.h"
#include "id/idut/locate2d/pdp_three_sides.h"
#include "id/idut/locate2d/seed_site.h"
#include "id/idut/locate2d/symbol_region.h"

namespace {

constexpr int32_t openEndsGap = 24;  // city block, 1/16 pixel
constexpr int32_t maxAspect = 3;
constexpr int32_t leastLargestCurvature = 32;
constexpr int32_t ringScore = 700;

// Smoothing span in points: about a tenth of the contour's larger extent in pixels.
int32_t ringSmoothingSpan(int32_t w, int32_t h, const cid2d_trackingParams& params) {
  return std::min(25, std::max((4 * std::max(w, h) + 21) / 42, int32_t(params.minSmoothing)));
}

// Straight runs at curvature limit t and minimum run m. A contour that left exactly two
// runs, four short runs and few runs in all is taken for three sides: the count is then 3,
// the third segment being the table's zero record.
int32_t ringRuns(const cid2d_contourBuffers& buffers, int32_t n, int32_t t, int32_t m) {
  cid2d_runTally tally;
  cid2d_runRules rules{t, m, 9 * t, false};
  rules.joinAcrossStart = true;
  rules.tally = &tally;
  const int32_t count =
      cid2d_findStraightRuns(buffers.smoothed, buffers.curvature, n, rules, buffers.segments);
  return count == 2 && tally.droppedShort == 4 && tally.seen < 9 ? 3 : count;
}

}  // namespace

extern "C" int32_t cf_BndFindPDPSymbolFromSeed(
    const cimg_imageConst* image, const cid2d_trackingParams* params,
    const cid2d_trackingSeed* seed, const cbt_runParams* runParams, cimg_image* visitMap,
    int32_t tryThreeSides, const cid_mask* mask, int32_t /*reserved*/,
    const cmath_xformLinear* maskXform, cid2d_pdpResult* result) {
  CIDUT_CHECK(image && params && seed && runParams && visitMap && result);
  CIDUT_CHECK(params->scratch != nullptr && params->scratchBytes >= CID2D_SCRATCH_BYTES);
  ccCleanupFrame<1> frame;
  cid2d_trackingResult& tracking = result->tracking;

  // Preparation.
  const cbt_runParams run = cid2d_seedRunParams(*runParams, *seed, *params);
  tracking.seed = *seed;
  tracking.found = 0;
  cid2d_seedSite site;
  bool isFree;
  if (frame.failed(cid2d_openSeedSite(image, visitMap, mask, maskXform, *seed, &site, &isFree)) ||
      !isFree)
    return frame.exit();
  const cimg_windowConst& window = site.window;

  // Tracking: only the seed's block is marked, so that other seeds on the ring stay free.
  cbt_result& boundary = tracking.boundary;
  if (frame.failed(cbt_boundaryTrack(image, &run, &boundary)) ||
      frame.failed(csys_attention_check()))
    return frame.exit();
  ++result->trackCount;
  site.visits.set(seed->x >> 2, seed->y >> 2, 1);
  if (!(boundary.flags & CBT_FLAG_USABLE)) return frame.exit();
  if (boundary.numPoints == 0) return frame.fail(CIDUT_ERR_NO_BOUNDARY);
  const cid2d_contourBuffers buffers = cid2d_carveBuffers(params->scratch);
  const int32_t numPoints = cid2d_takeContour(boundary, buffers.contour);

  // Contour checks: an open contour passes when its ends nearly meet.
  const bool openEndsApart = abs(buffers.contour[0].x - buffers.contour[numPoints - 1].x) +
                                 abs(buffers.contour[0].y - buffers.contour[numPoints - 1].y) >
                             openEndsGap;
  if (numPoints < 8 * params->minSize / 3 || (boundary.flags & CBT_FLAG_REJECTED) ||
      ((boundary.flags & CBT_FLAG_OPEN) && !params->allowBorderTouch && openEndsApart))
    return frame.exit();
  const int32_t n = cid2d_halveContour(buffers.contour, numPoints);
  if (frame.failed(csys_attention_check())) return frame.exit();
  int32_t w, h;
  if (!cid2d_contourSizeFits(buffers.contour, n, window, *params, maxAspect, &w, &h))
    return frame.exit();

  // Segmentation, again with a looser limit when a weakly curved contour gave too few runs.
  const int32_t span = ringSmoothingSpan(w, h, *params);
  cid2d_smoothContour(buffers.contour, n, span, buffers.smoothed);
  const int32_t largest = cid2d_contourCurvature(buffers.smoothed, n, span, buffers.curvature);
  if (largest < leastLargestCurvature) return frame.exit();
  const int32_t t = span >= 3 ? 16 * std::min(7, (3 * span + 1) / 2) + 12 : 60;
  int32_t count = ringRuns(buffers, n, t, span < 5 ? span : span - 1);
  if (span > 2 && count < 3 && largest < 2 * t - 20)
    count = ringRuns(buffers, n, std::max(48, largest / 2), span < 4 ? span : span - 1);
  if (count < 3 || count > 8) return frame.exit();

  // Fitting.
  cid2d_ringFit fit;
  if (count == 4) fit = cid2d_fitRingQuadrilateral(buffers.smoothed, n, buffers.segments);
  if (!fit.found && tryThreeSides &&
      frame.failed(cid2d_completeRingFromThreeSides(buffers.contour, buffers.smoothed, n,
                                                    buffers.segments, count, &fit)))
    return frame.exit();
  if (!fit.found) return frame.exit();

  // Contour coordinates are window coordinates; place the ring in the image.
  cid2d_symbolCorners& c = fit.corners;
  for (cmath_vect* p : {&c.corner, &c.side1, &c.side2, &c.fourth})
    *p = cmath_vect{p->x + window.x0, p->y + window.y0};
  if (!frame.failed(
          cid2d_storeSymbolRect(site, c, fit.fourthCornerInferred, ringScore, *seed, &tracking)))
    frame.failed(cid2d_testSymbolRegion(image, mask, maskXform, *params, &tracking));
  return frame.exit();
}
