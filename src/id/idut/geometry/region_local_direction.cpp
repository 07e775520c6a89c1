// Local X and Y directions of symbol regions: at any point of a perspective region the
// side direction turns towards where that family of sides meets.
#include <cmath>

#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"
#include "id/idut/geometry/region_geometry.h"

namespace {

// The first side for an affine region; otherwise the vanishing direction at the point,
// turned to agree with the family's second side (X: Popp - Py, Y: Popp - Px).
cmath_vect localDirection(const cid_region& region, cid_regionAxis axis, const cmath_vect& p) {
  const bool x = axis == cid_regionAxis::x;
  if (region.affine) {
    const cmath_vect& end = x ? region.Px : region.Py;
    return cmath_vect{end.x - region.Po.x, end.y - region.Po.y};
  }
  const cmath_vect& start = x ? region.Py : region.Px;
  const cmath_vect reference{region.Popp.x - start.x, region.Popp.y - start.y};
  const cmath_vect d = cid_region_vanishingDir(region, axis, p);
  if (d.x * reference.x + d.y * reference.y <= 0.0) return cmath_vect{-d.x, -d.y};
  return d;
}

int32_t dirAtPoint(const cid_region& region, cid_regionAxis axis, const cmath_vect& p,
                   cmath_vect* unit) {
  bool wasZero;
  return cid_region_unitOrZero(localDirection(region, axis, p), unit, &wasZero);
}

int32_t angleAtPoint(const cid_region& region, cid_regionAxis axis, const cmath_vect& p,
                     double* angle) {
  if (region.affine) {
    return axis == cid_regionAxis::x ? cid_region_getXAngle(&region, 1, angle)
                                     : cid_region_getYAngle(&region, 1, angle);
  }
  const cmath_vect d = localDirection(region, axis, p);
  *angle = std::atan2(d.y, d.x);
  return 0;
}

}  // namespace

extern "C" int32_t cid_region_getXDirAtPoint(const cid_region* region, const cmath_vect* point,
                                             cmath_vect* unit) {
  return dirAtPoint(*region, cid_regionAxis::x, *point, unit);
}

extern "C" int32_t cid_region_getYDirAtPoint(const cid_region* region, const cmath_vect* point,
                                             cmath_vect* unit) {
  return dirAtPoint(*region, cid_regionAxis::y, *point, unit);
}

extern "C" int32_t cid_region_getXAngleAtPoint(const cid_region* region, const cmath_vect* point,
                                               double* angle) {
  return angleAtPoint(*region, cid_regionAxis::x, *point, angle);
}

extern "C" int32_t cid_region_getYAngleAtPoint(const cid_region* region, const cmath_vect* point,
                                               double* angle) {
  return angleAtPoint(*region, cid_regionAxis::y, *point, angle);
}
