// The DataMatrix finder from a seed: track the contour through the seed, cut it into
// straight runs, fit the finder's L and build the symbol region.
#include <algorithm>
#include <cmath>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "id/idut/locate2d/boundary_analysis.h"
#include "id/idut/locate2d/dm_l_fit.h"
#include "id/idut/locate2d/seed_site.h"
#include "id/idut/locate2d/symbol_region.h"

namespace {

constexpr int32_t pollFromPoints = 1000;  // contours this long poll the attention check
constexpr int32_t runCurvature = 64;      // T of the straight-run test
constexpr int32_t mergeTolerance = 64;    // 4 pixels in 1/16 pixel
constexpr int32_t maxAspect = 5;          // longer side over shorter

cid2d_shapeMode shapeModeOf(const cid2d_trackingParams& params) {
  if (params.symbolRows == 0) return cid2d_shapeAny;
  return params.symbolRows == params.symbolCols ? cid2d_shapeSquare : cid2d_shapeRectangular;
}

bool strictlyInside(const cmath_vect& p, const cimg_windowConst& window) {
  return window.x0 < p.x && p.x < window.x0 + window.width - 1 && window.y0 < p.y &&
         p.y < window.y0 + window.height - 1;
}

// Runs the fitting passes over the segments; fills `candidate` with the first L that
// passes the placement and size tests.
int32_t fitPasses(const cid2d_contourBuffers& buffers, int32_t n, int32_t count, int32_t span,
                  const cid2d_trackingParams& params, const cimg_windowConst& window,
                  int32_t* mergedFlags, cid2d_lCandidate* accepted) {
  const cmath_vect origin{double(window.x0), double(window.y0)};
  for (int32_t pass = 0; pass < params.numFitPasses; ++pass) {
    if (pass > 0) {
      cid2d_mergeCollinearSegments(buffers.smoothed, n, buffers.segments, count, 4 * span,
                                   mergeTolerance, mergedFlags);
      if (count < 2) continue;
    }
    cid2d_sortSegments(buffers.segments, count);
    if (pass > 0) {
      const int32_t before = count;
      while (count > 1 && buffers.segments[count - 1].lengthSq == 0) --count;
      if (count == before) return 0;
    }
    cid2d_lCandidate candidate;
    if (const int32_t status =
            cid2d_fitDataMatrixL(buffers.contour, buffers.smoothed, n, buffers.segments, count,
                                 shapeModeOf(params), params, &candidate);
        status < 0)
      return status;
    if (const int32_t status = csys_attention_check(); status < 0) return status;
    if (!candidate.found) continue;
    // Contour coordinates are window coordinates; place the candidate in the image.
    for (cmath_vect* p : {&candidate.corner, &candidate.side1, &candidate.side2, &candidate.fourth})
      *p = cmath_vect{p->x + origin.x, p->y + origin.y};
    if (!params.allowBorderTouch &&
        !(strictlyInside(candidate.corner, window) && strictlyInside(candidate.side1, window) &&
          strictlyInside(candidate.side2, window) && strictlyInside(candidate.fourth, window)))
      continue;
    cmath_shapeAffineRect rect;
    double xLength, yLength;
    const cmath_vect points[3] = {candidate.corner, candidate.side1, candidate.side2};
    if (const int32_t status = cmath_shapeAffineRect_initPoints(&rect, points); status < 0)
      return status;
    cmath_shapeAffineRect_getXLength(&rect, &xLength);
    cmath_shapeAffineRect_getYLength(&rect, &yLength);
    if (std::min(xLength, yLength) < params.minSize || std::max(xLength, yLength) > params.maxSize)
      continue;
    *accepted = candidate;
    return 0;
  }
  return 0;
}

}  // namespace

extern "C" int32_t cf_BndFindDMSymbolFromSeed(const cimg_imageConst* image,
                                              const cid2d_trackingParams* params,
                                              const cid2d_trackingSeed* seed,
                                              const cbt_runParams* runParams,
                                              cimg_image* visitMap, const cid_mask* mask,
                                              int32_t /*reserved*/,
                                              const cmath_xformLinear* maskXform,
                                              cid2d_trackingResult* result) {
  CIDUT_CHECK(image && params && seed && runParams && visitMap && result);
  CIDUT_CHECK(params->scratch != nullptr && params->scratchBytes >= CID2D_SCRATCH_BYTES);
  ccCleanupFrame<1> frame;

  // Preparation.
  const cbt_runParams run = cid2d_seedRunParams(*runParams, *seed, *params);
  result->seed = *seed;
  result->found = 0;
  cid2d_seedSite site;
  bool isFree;
  if (frame.failed(cid2d_openSeedSite(image, visitMap, mask, maskXform, *seed, &site, &isFree)) ||
      !isFree)
    return frame.exit();
  const cimg_windowConst& window = site.window;

  // Tracking.
  cbt_result& boundary = result->boundary;
  const int32_t tracked = cbt_boundaryTrack(image, &run, &boundary);
  if (tracked == CBT_STATUS_NO_BOUNDARY) return frame.exit();
  if (frame.failed(tracked)) return frame.exit();
  site.visits.set(seed->x >> 2, seed->y >> 2, 1);
  if (!(boundary.flags & CBT_FLAG_USABLE)) return frame.exit();
  if (boundary.numPoints == 0) return frame.fail(CIDUT_ERR_NO_BOUNDARY);
  const cid2d_contourBuffers buffers = cid2d_carveBuffers(params->scratch);
  const int32_t numPoints = cid2d_takeContour(boundary, buffers.contour);
  if (numPoints >= pollFromPoints && frame.failed(csys_attention_check())) return frame.exit();
  for (int32_t i = 0; i < numPoints; ++i) {
    const cbt_point& p = boundary.points[i];
    site.visits.set(cid2d_trackerPixel(p.x) >> 2, cid2d_trackerPixel(p.y) >> 2, 1);
  }

  // Contour checks.
  if (numPoints < 4 * params->minSize || (boundary.flags & CBT_FLAG_REJECTED) ||
      ((boundary.flags & CBT_FLAG_OPEN) && !params->allowBorderTouch))
    return frame.exit();
  const int32_t n = cid2d_halveContour(buffers.contour, numPoints);
  if (frame.failed(csys_attention_check())) return frame.exit();
  int32_t w, h;
  if (!cid2d_contourSizeFits(buffers.contour, n, window, *params, maxAspect, &w, &h))
    return frame.exit();

  // Segmentation.
  const int32_t span = cid2d_smoothingSpan(w, h, *params);
  cid2d_smoothContour(buffers.contour, n, span, buffers.smoothed);
  if (cid2d_contourCurvature(buffers.smoothed, n, span, buffers.curvature) < 32)
    return frame.exit();
  const cid2d_runRules rules{runCurvature, span, 9 * runCurvature, false};
  const int32_t count = cid2d_findStraightRuns(buffers.smoothed, buffers.curvature, n, rules,
                                               buffers.segments);
  if (count < 2) return frame.exit();

  // Fitting.
  int32_t* mergedFlags = nullptr;
  if (frame.failed(csys_memory_allocFastMem_internal(sizeof(int32_t) * (count + 1),
                                                     reinterpret_cast<void**>(&mergedFlags))))
    return frame.exit();
  frame.holdBlock(&mergedFlags);
  cid2d_lCandidate candidate;
  if (frame.failed(fitPasses(buffers, n, count, span, *params, window, mergedFlags, &candidate)))
    return frame.exit();
  if (!candidate.found) return frame.exit();

  const cid2d_symbolCorners corners{candidate.corner, candidate.side1, candidate.side2,
                                    candidate.fourth};
  if (!frame.failed(cid2d_storeSymbolRect(site, corners, candidate.fourthCornerInferred,
                                          candidate.score, *seed, result)))
    frame.failed(cid2d_testSymbolRegion(image, mask, maskXform, *params, result));
  return frame.exit();
}
