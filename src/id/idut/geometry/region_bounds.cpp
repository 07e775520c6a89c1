// Enclosing rectangles of symbol regions, in real and in whole-pixel coordinates.
#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"

namespace {

// The rectangle (x, y, width, height) around the corners, mapped first when xform is given.
int32_t encloseRect(const cid_region& region, const cmath_xformLinear* xform, double rect[4]) {
  cid_region mapped = region;
  if (xform != nullptr) {
    if (const int32_t status = cid_region_initMap(&mapped, xform, &region); status < 0)
      return status;
  }
  const cmath_vect& po = mapped.Po;
  const cmath_vect& px = mapped.Px;
  const cmath_vect& py = mapped.Py;
  const cmath_vect& popp = mapped.Popp;
  const double minX =
      cmath_double_min(po.x, cmath_double_min(px.x, cmath_double_min(py.x, popp.x)));
  const double minY =
      cmath_double_min(po.y, cmath_double_min(px.y, cmath_double_min(py.y, popp.y)));
  const double maxX =
      cmath_double_max(po.x, cmath_double_max(px.x, cmath_double_max(py.x, popp.x)));
  const double maxY =
      cmath_double_max(po.y, cmath_double_max(px.y, cmath_double_max(py.y, popp.y)));
  rect[0] = minX;
  rect[1] = minY;
  rect[2] = maxX - minX;
  rect[3] = maxY - minY;
  return 0;
}

int32_t encloseImageRect(const cid_region& region, const cmath_xformLinear* xform,
                         cstd_rect32* rect) {
  double bounds[4];
  if (const int32_t status = encloseRect(region, xform, bounds); status < 0) return status;
  const int32_t x = cmath_double_floor(bounds[0]);
  const int32_t y = cmath_double_floor(bounds[1]);
  *rect = cstd_rect32{x, y, cmath_double_ceil(bounds[0] + bounds[2]) - x,
                      cmath_double_ceil(bounds[1] + bounds[3]) - y};
  return 0;
}

}  // namespace

extern "C" int32_t cid_region_getEncloseRect(const cid_region* region,
                                             const cmath_xformLinear* xform, double rect[4]) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(rect != nullptr);
  return encloseRect(*region, xform, rect);
}

extern "C" int32_t cid_region_getEncloseImageRect(const cid_region* region,
                                                  const cmath_xformLinear* xform,
                                                  cstd_rect32* rect) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(rect != nullptr);
  return encloseImageRect(*region, xform, rect);
}

extern "C" int32_t cid_region_isWithinImageRect(const cid_region* region,
                                                const cmath_xformLinear* xform,
                                                const cstd_rect32* imageRect, int32_t* within) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(imageRect != nullptr);
  CIDUT_CHECK(within != nullptr);
  *within = 0;
  cstd_rect32 bounds;
  if (const int32_t status = encloseImageRect(*region, xform, &bounds); status < 0) return status;
  int32_t answer;
  if (const int32_t status = cstd_rect32_containsRect(imageRect, &bounds, &answer); status < 0)
    return status;
  *within = answer;
  return 0;
}
