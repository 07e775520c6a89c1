// The bar direction of a linear barcode from the bars one scan line crosses.
#include "id/idut/locate2d/barcode_direction.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "id/idut/frame/cleanup_frame.h"
#include "id/idut/locate2d/boundary_analysis.h"
#include "id/idut/locate2d/row_edges.h"
#include "id/idut/locate2d/seed_site.h"

namespace {

constexpr int32_t maxSeeds = 20;
constexpr int32_t maxBarPoints = 100;  // each bar's contour is cut after this many points
constexpr int32_t barSpan = 3;         // smoothing and curvature span, points
constexpr int32_t runCurvature = 64;   // T of the straight-run test

// The work block: the contour buffers, then the seeds and one slope per seed.
constexpr size_t workBytes = 262080;
static_assert(CID2D_SCRATCH_BYTES + maxSeeds * (sizeof(cid2d_trackingSeed) + sizeof(int32_t)) <=
              workBytes);

struct workBuffers {
  cid2d_contourBuffers contour;
  cid2d_trackingSeed* seeds;
  int32_t* slopes;
};

workBuffers carveWork(void* block) {
  workBuffers w;
  w.contour = cid2d_carveBuffers(block);
  w.seeds = reinterpret_cast<cid2d_trackingSeed*>(static_cast<char*>(block) + CID2D_SCRATCH_BYTES);
  w.slopes = reinterpret_cast<int32_t*>(w.seeds + maxSeeds);
  return w;
}

// 1000 dx / dy of a chord, truncated; INT32_MAX for a chord along x.
int32_t slope1000(const cid2d_chord& chord) {
  if (chord.dy() == 0) return std::numeric_limits<int32_t>::max();
  return int32_t(1000 * chord.dx() / chord.dy());
}

// The longest straight run of a bar's contour (at most maxBarPoints points, 1/16 pixel):
// false when the contour has none.
bool longestSide(const cid2d_contourBuffers& buffers, int32_t numPoints, int32_t minRun,
                 cid2d_chord* side) {
  const int32_t n = cid2d_halveContour(buffers.contour, numPoints);
  cid2d_smoothContour(buffers.contour, n, barSpan, buffers.smoothed);
  cid2d_contourCurvature(buffers.smoothed, n, barSpan, buffers.curvature);
  cid2d_runRules rules{};
  rules.maxCurvature = runCurvature;
  rules.minRun = minRun;
  rules.maxDeviationSq = 9 * runCurvature;
  rules.splitFailures = false;
  const int32_t count =
      cid2d_findStraightRuns(buffers.smoothed, buffers.curvature, n, rules, buffers.segments);
  if (count < 1) return false;
  cid2d_sortSegments(buffers.segments, count);
  *side = cid2d_segmentChord(buffers.contour, n, buffers.segments[0]);
  return true;
}

}  // namespace

int32_t cid2d_measureBarDirection(const cimg_imageConst* image, const cid2d_barScan& scan,
                                  cid2d_barDirection* direction) {
  ccCleanupFrame<3> frame;
  void* block = nullptr;
  if (frame.failed(csys_memory_allocFastMem_internal(workBytes, &block))) return frame.exit();
  frame.holdBlock(&block);
  const workBuffers buffers = carveWork(block);

  // Seeds on the work window's middle line, in the work window's coordinates.
  cimg_imageConst workImage;
  cimg_imageConst_constructCopy(&workImage, image);
  frame.holdObject<cimg_imageConst_destruct>(&workImage);
  cimg_windowConst work;
  if (frame.failed(cimg_imageConst_window(&workImage, scan.work.x, scan.work.y, scan.work.width,
                                          scan.work.height, 0)) ||
      frame.failed(cimg_windowConst_init(&work, &workImage)))
    return frame.exit();
  int32_t numSeeds = 0;
  if (frame.failed(scan.alongRow
                       ? cid2d_getRowTrackingSeeds(work, work.y0 + work.height / 2, maxSeeds, 0,
                                                   buffers.seeds, &numSeeds)
                       : cid2d_getColumnTrackingSeeds(work, work.x0 + work.width / 2, maxSeeds, 0,
                                                      buffers.seeds, &numSeeds)))
    return frame.exit();

  cbt_result boundary{};  // released harmlessly should its construction fail
  frame.holdObject<cbt_result_destruct>(&boundary);
  if (frame.failed(cbt_result_construct(&boundary, maxBarPoints))) return frame.exit();
  cbt_runParams base;
  if (frame.failed(cbt_runParams_init(&base))) return frame.exit();
  base.interpolate = 1;
  base.followOpen = 1;
  base.minPoints = 0;
  cid2d_trackingParams limits;  // the point limit of the seeds' run parameters
  cid2d_trackingParams_init(&limits);
  limits.maxBoundaryPoints = maxBarPoints;

  // The longest side of each dark bar met on its left (or upper) edge.
  int32_t tries = 0, numSlopes = 0;
  int64_t sumX = 0, sumY = 0;  // chord ends, 1/16 pixel
  const int32_t offsetX = scan.work.x * 256, offsetY = scan.work.y * 256;
  for (int32_t i = 0; i < numSeeds; ++i) {
    cid2d_trackingSeed seed = buffers.seeds[i];
    if (seed.polarity != 0) continue;
    ++tries;
    seed.startX += offsetX;
    seed.endX += offsetX;
    seed.startY += offsetY;
    seed.endY += offsetY;
    const cbt_runParams run = cid2d_seedRunParams(base, seed, limits);
    const int32_t tracked = cbt_boundaryTrack(image, &run, &boundary);
    if (tracked == CBT_STATUS_NO_BOUNDARY) return frame.exit();
    if (frame.failed(tracked)) return frame.exit();
    if (!(boundary.flags & CBT_FLAG_USABLE)) continue;
    if (boundary.numPoints == 0) return frame.fail(CIDUT_ERR_NO_BOUNDARY);
    const int32_t numPoints =
        std::min(cid2d_takeContour(boundary, buffers.contour.contour), maxBarPoints);
    cid2d_chord side;
    if (!longestSide(buffers.contour, numPoints, scan.minRun, &side)) continue;
    buffers.slopes[numSlopes++] = slope1000(side);
    sumX += int64_t{side.from.x} + side.to.x;
    sumY += int64_t{side.from.y} + side.to.y;
  }

  // The median slope, when most bars gave one.
  if (numSlopes <= 2 * tries / 3 || numSlopes < 3) return frame.exit();
  std::sort(buffers.slopes, buffers.slopes + numSlopes, std::greater<int32_t>());
  direction->measured = true;
  // The bars run along (slope / 1000, 1).
  direction->theta = std::atan2(1.0, buffers.slopes[numSlopes / 2] * 0.001);
  direction->centre =
      cmath_vect{sumX * (1.0 / 16) * 0.5 / numSlopes, sumY * (1.0 / 16) * 0.5 / numSlopes};
  return frame.exit();
}
