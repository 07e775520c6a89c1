// Region masks: whether a point or a candidate region has already been claimed.
#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"

namespace {

// The corners Po, Px, Py, Popp of an affine rectangle.
int32_t cornersOf(const cmath_shapeAffineRect& rect, cmath_vect corners[4]) {
  if (const int32_t status = cmath_shapeAffineRect_getPoints(&rect, corners); status < 0)
    return status;
  corners[3] = cmath_vect{corners[1].x + corners[2].x - corners[0].x,
                          corners[1].y + corners[2].y - corners[0].y};
  return 0;
}

// *same = 1 when the corner lists of the two rectangles agree within tolerance, the second
// list possibly shifted cyclically.
int32_t isSameRect(const cmath_shapeAffineRect& a, const cmath_shapeAffineRect& b, double tolerance,
                   int32_t* same) {
  cmath_vect ca[4];
  cmath_vect cb[4];
  if (const int32_t status = cornersOf(a, ca); status < 0) return status;
  if (const int32_t status = cornersOf(b, cb); status < 0) return status;
  for (int r = 0; r < 4; ++r) {
    bool match = true;
    for (int i = 0; i < 4 && match; ++i) {
      const cmath_vect& p = cb[(i + r) % 4];
      match = cmath_double_epsilonEqual(ca[i].x, p.x, tolerance) &&
              cmath_double_epsilonEqual(ca[i].y, p.y, tolerance);
    }
    if (match) {
      *same = 1;
      return 0;
    }
  }
  *same = 0;
  return 0;
}

}  // namespace

extern "C" int32_t cid_mask_isRegionUnMasked(const cid_mask* mask, const cid_region* region,
                                             const cmath_xformLinear* xform, double tolerance,
                                             int32_t* answer) {
  CIDUT_CHECK(region != nullptr && xform != nullptr && answer != nullptr);
  *answer = 0;
  if (mask == nullptr) return 0;
  CIDUT_CHECK(mask->testCentre || mask->testSame);

  cid_region query;
  if (const int32_t status = cid_region_initMap(&query, xform, region); status < 0) return status;
  cmath_vect centre;
  if (const int32_t status = cid_region_getCenter(&query, &centre); status < 0) return status;
  cmath_shapeAffineRect rect;
  if (const int32_t status = cid_region_getAffineRect(&query, &rect); status < 0) return status;
  // The tolerance as a length in client units.
  const cmath_vect along{tolerance, 0.0};
  const cmath_vect zero{0.0, 0.0};
  cmath_vect mappedAlong;
  cmath_vect mappedZero;
  if (const int32_t status = cmath_xformLinear_mapPoint(xform, &along, &mappedAlong); status < 0)
    return status;
  if (const int32_t status = cmath_xformLinear_mapPoint(xform, &zero, &mappedZero); status < 0)
    return status;
  double distance;
  if (const int32_t status = cmath_vect_getDistance(&mappedAlong, &mappedZero, &distance);
      status < 0)
    return status;

  const cid_region* stored;
  int32_t count;
  if (const int32_t status =
          cstd_vector_cid_region_getBeginSizeConst(&mask->regions, &stored, &count);
      status < 0)
    return status;
  for (int32_t i = 0; i < count && *answer != 1; ++i) {
    if (mask->testCentre) {
      if (const int32_t status = cid_region_within(&stored[i], &centre, answer); status < 0)
        return status;
    }
    if (*answer == 0 && mask->testSame) {
      cmath_shapeAffineRect storedRect;
      if (const int32_t status = cid_region_getAffineRect(&stored[i], &storedRect); status < 0)
        return status;
      if (const int32_t status = isSameRect(storedRect, rect, distance, answer); status < 0)
        return status;
    }
  }
  return 0;
}

extern "C" int32_t cid_mask_isPointUnMasked(const cid_mask* mask, const cmath_vect* point,
                                            const cmath_xformLinear* xform, int32_t* answer) {
  CIDUT_CHECK(point != nullptr && xform != nullptr && answer != nullptr);
  *answer = 0;
  if (mask == nullptr) return 0;
  cmath_vect client;
  if (const int32_t status = cmath_xformLinear_mapPoint(xform, point, &client); status < 0)
    return status;

  if (!mask->hasImage) {
    const cid_region* stored;
    int32_t count;
    if (const int32_t status =
            cstd_vector_cid_region_getBeginSizeConst(&mask->regions, &stored, &count);
        status < 0)
      return status;
    for (int32_t i = 0; i < count && *answer != 1; ++i) {
      if (const int32_t status = cid_region_within(&stored[i], &client, answer); status < 0)
        return status;
    }
    return 0;
  }

  cmath_xformLinear imageFromClient;
  if (const int32_t status =
          cimg_image_getLinearImageFromClientXform(&mask->image, &imageFromClient);
      status < 0)
    return status;
  cmath_vect pixel;
  if (const int32_t status = cmath_xformLinear_mapPoint(&imageFromClient, &client, &pixel);
      status < 0)
    return status;
  // Within the window exactly when the floored offsets are; NaN is outside.
  const double dx = pixel.x - mask->window.x0;
  const double dy = pixel.y - mask->window.y0;
  if (!(dx >= 0.0 && dx < mask->window.width && dy >= 0.0 && dy < mask->window.height)) return 0;
  const uint8_t value =
      cimg_window_row<uint8_t>(&mask->window, cmath_double_floor(dy))[cmath_double_floor(dx)];
  *answer = value == mask->claimedValue;
  return 0;
}
