// Linear barcodes: a rectangle across the bars in the middle of an image, and the test
// whether a candidate region holds bars along its own y axis.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "ci_id/priv/ci_idut/geometry.h"
#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/frame/check.h"
#include "id/idut/locate2d/barcode_direction.h"

namespace {

constexpr double pi = std::numbers::pi;

// Whether two directions (radians in [0, 2 pi)) are parallel or opposite within 18 degrees.
bool isAlong(double theta, double alpha) {
  const double d = std::abs(theta - alpha);
  return d < pi / 10 || (pi - pi / 10 < d && d < pi + pi / 10);
}

// Whether a y axis at direction alpha is steep, so that its bars cross a row.
bool isSteep(double alpha) {
  return (pi / 4 < alpha && alpha < 3 * pi / 4) || (5 * pi / 4 < alpha && alpha < 7 * pi / 4);
}

}  // namespace

// The rectangle's centre is in pixels of the image's window, pixel (i, j) covering
// [i, i + 1) x [j, j + 1).
extern "C" int32_t cid2d_findOneBarcode(const cimg_imageConst* image, cmath_shapeAffineRect* rect,
                                        int32_t* found) {
  CIDUT_CHECK(image && rect && found);
  cstd_rect32 window;
  if (const int32_t status = cimg_imageConst_getWindow(image, &window); status < 0) return status;
  const cid2d_barScan scan{{window.width / 2 - 50, window.height / 2 - 50, 100, 50}, true, 10};
  cid2d_barDirection bars;
  if (const int32_t status = cid2d_measureBarDirection(image, scan, &bars); status < 0)
    return status;
  if (!bars.measured) return 0;
  const double across = bars.theta - pi / 2;
  const cmath_shapeAffineRectCenter centred{bars.centre, double(window.width), 100.0, across,
                                            across};
  cmath_shapeAffineRect measured;
  if (const int32_t status = cmath_shapeAffineRect_initCenter(&measured, &centred); status < 0)
    return status;
  *rect = measured;
  *found = 1;
  return 0;
}

extern "C" int32_t cid2d_getIsCandidateBarcodeLike(const cimg_imageConst* image,
                                                   const cid_region* region, int32_t* isLike,
                                                   cid_region* alignedRegion) {
  CIDUT_CHECK(image && region && isLike && alignedRegion);
  *isLike = 0;
  *alignedRegion = *region;

  // The work window around the region's centre, in the image.
  cmath_xformLinear imageFromClient;
  cmath_vect centre, imageCentre;
  cstd_rect32 window;
  if (const int32_t status = cid_region_getCenter(region, &centre); status < 0) return status;
  if (const int32_t status = cimg_imageConst_getLinearImageFromClientXform(image, &imageFromClient);
      status < 0)
    return status;
  if (const int32_t status = cimg_imageConst_getWindow(image, &window); status < 0) return status;
  cmath_xformLinear_mapPoint(&imageFromClient, &centre, &imageCentre);

  // The region's y axis: its direction, and its length in the image sets how long a bar's
  // straight side must be.
  cidut_lineSeg axis;
  if (const int32_t status = cid_region_getYCenterSegment(region, &axis); status < 0) return status;
  cmath_vect axisVector, imageEnds[2];
  double alpha, length;
  cmath_vect_initSubtract(&axisVector, &axis.p2, &axis.p1);
  cmath_vect_getDirection(&axisVector, &alpha);
  alpha = cmath_radian_norm(alpha);
  cmath_xformLinear_mapPoint(&imageFromClient, &axis.p1, &imageEnds[0]);
  cmath_xformLinear_mapPoint(&imageFromClient, &axis.p2, &imageEnds[1]);
  cmath_vect_getDistance(&imageEnds[0], &imageEnds[1], &length);

  const cid2d_barScan scan{{cmath_double_floor(imageCentre.x) - 50 - window.x,
                            cmath_double_floor(imageCentre.y) - 50 - window.y, 100, 100},
                           isSteep(alpha),
                           std::min(20, cmath_double_round(length) / 2) / 2};
  cid2d_barDirection bars;
  if (const int32_t status = cid2d_measureBarDirection(image, scan, &bars); status < 0)
    return status;
  if (!bars.measured || !isAlong(bars.theta, alpha)) return 0;

  // The region turned about its centre onto the bars.
  cmath_matrix rotation;
  cmath_vect turnedCentre, shift;
  cmath_xformLinear turn;
  cid_region aligned;
  cmath_matrix_initRotationScale(&rotation, bars.theta - alpha, 1.0);
  cmath_matrix_mapPoint(&rotation, &centre, &turnedCentre);
  cmath_vect_initSubtract(&shift, &centre, &turnedCentre);
  cmath_xformLinear_initMatrixTrans(&turn, &rotation, &shift);
  if (const int32_t status = cid_region_initMap(&aligned, &turn, region); status < 0) return status;
  *alignedRegion = aligned;
  *isLike = 1;
  return 0;
}
