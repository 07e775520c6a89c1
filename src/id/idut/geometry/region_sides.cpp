// Side vectors of symbol regions and their angles and lengths.
#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"
#include "id/idut/geometry/region_geometry.h"

namespace {

// First X side Px - Po, second Popp - Py; first Y side Py - Po, second Popp - Px.
cmath_vect sideVector(const cid_region& region, cid_regionAxis axis, bool first) {
  const cmath_vect& start = first ? region.Po : (axis == cid_regionAxis::x ? region.Py : region.Px);
  const cmath_vect& end = first ? (axis == cid_regionAxis::x ? region.Px : region.Py) : region.Popp;
  return cmath_vect{end.x - start.x, end.y - start.y};
}

int32_t getVect(const cid_region* region, cid_regionAxis axis, int32_t which, cmath_vect* v) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(v != nullptr);
  *v = sideVector(*region, axis, which != 0);
  return 0;
}

int32_t getAngle(const cid_region* region, cid_regionAxis axis, int32_t which, double* angle) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(angle != nullptr);
  const cmath_vect v = sideVector(*region, axis, which != 0);
  return cmath_vect_getDirection(&v, angle);
}

int32_t getLength(const cid_region* region, cid_regionAxis axis, int32_t which, double* length) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(length != nullptr);
  const cmath_vect v = sideVector(*region, axis, which != 0);
  return cmath_vect_getLength(&v, length);
}

int32_t getLengths(const cid_region* region, cid_regionAxis axis, double* shorter, double* longer) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(shorter != nullptr);
  CIDUT_CHECK(longer != nullptr);
  const cmath_vect second = sideVector(*region, axis, false);
  const cmath_vect first = sideVector(*region, axis, true);
  double a, b;
  if (const int32_t status = cmath_vect_getLength(&second, &a); status < 0) return status;
  if (const int32_t status = cmath_vect_getLength(&first, &b); status < 0) return status;
  if (a > b) {
    *shorter = b;
    *longer = a;
  } else {
    *shorter = a;
    *longer = b;
  }
  return 0;
}

}  // namespace

extern "C" int32_t cid_region_getXVect(const cid_region* region, int32_t which, cmath_vect* v) {
  return getVect(region, cid_regionAxis::x, which, v);
}

extern "C" int32_t cid_region_getYVect(const cid_region* region, int32_t which, cmath_vect* v) {
  return getVect(region, cid_regionAxis::y, which, v);
}

extern "C" int32_t cid_region_getXAngle(const cid_region* region, int32_t which, double* angle) {
  return getAngle(region, cid_regionAxis::x, which, angle);
}

extern "C" int32_t cid_region_getYAngle(const cid_region* region, int32_t which, double* angle) {
  return getAngle(region, cid_regionAxis::y, which, angle);
}

extern "C" int32_t cid_region_getXLength(const cid_region* region, int32_t which, double* length) {
  return getLength(region, cid_regionAxis::x, which, length);
}

extern "C" int32_t cid_region_getYLength(const cid_region* region, int32_t which, double* length) {
  return getLength(region, cid_regionAxis::y, which, length);
}

extern "C" int32_t cid_region_getXLengths(const cid_region* region, double* shorter,
                                          double* longer) {
  return getLengths(region, cid_regionAxis::x, shorter, longer);
}

extern "C" int32_t cid_region_getYLengths(const cid_region* region, double* shorter,
                                          double* longer) {
  return getLengths(region, cid_regionAxis::y, shorter, longer);
}
