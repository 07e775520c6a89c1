// Centre point and centre segments of symbol regions, and what they measure: average
// direction and length along each axis, and foreshortening.
#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"
#include "id/idut/geometry/region_geometry.h"

namespace {

cmath_vect span(const cidut_lineSeg& segment) {
  return cmath_vect{segment.p2.x - segment.p1.x, segment.p2.y - segment.p1.y};
}

// The first side of the family for an affine region, else the centre segment's vector.
int32_t averageVector(const cid_region& region, cid_regionAxis axis, cmath_vect* v) {
  if (region.affine) {
    const cmath_vect& end = axis == cid_regionAxis::x ? region.Px : region.Py;
    *v = cmath_vect{end.x - region.Po.x, end.y - region.Po.y};
    return 0;
  }
  cidut_lineSeg segment;
  if (const int32_t status = cid_region_centerSegment(region, axis, nullptr, &segment); status < 0)
    return status;
  *v = span(segment);
  return 0;
}

int32_t averageUnitDir(const cid_region& region, cid_regionAxis axis, cmath_vect* unit) {
  cmath_vect v;
  if (const int32_t status = averageVector(region, axis, &v); status < 0) return status;
  bool wasZero;
  cmath_vect result;
  if (const int32_t status = cid_region_unitOrZero(v, &result, &wasZero); status < 0) return status;
  if (wasZero) result = axis == cid_regionAxis::x ? cmath_vect{1.0, 0.0} : cmath_vect{0.0, 1.0};
  *unit = result;
  return 0;
}

int32_t averageAngle(const cid_region& region, cid_regionAxis axis, double* angle) {
  cmath_vect unit;
  if (const int32_t status = averageUnitDir(region, axis, &unit); status < 0) return status;
  return cmath_vect_getDirection(&unit, angle);
}

int32_t averageLength(const cid_region& region, cid_regionAxis axis, double* length) {
  cmath_vect v;
  if (const int32_t status = averageVector(region, axis, &v); status < 0) return status;
  return cmath_vect_getLength(&v, length);
}

// The shorter over the longer distance from the centre to the ends of the centre segment.
int32_t foreshortening(const cid_region& region, cid_regionAxis axis, double* ratio) {
  if (region.affine) {
    *ratio = 1.0;
    return 0;
  }
  const cmath_vect ctr = cid_region_centerPoint(region);
  cidut_lineSeg segment;
  if (const int32_t status = cid_region_centerSegment(region, axis, &ctr, &segment); status < 0)
    return status;
  const cmath_vect toStart{segment.p1.x - ctr.x, segment.p1.y - ctr.y};
  const cmath_vect toEnd{segment.p2.x - ctr.x, segment.p2.y - ctr.y};
  double a, b;
  if (const int32_t status = cmath_vect_getLength(&toStart, &a); status < 0) return status;
  if (const int32_t status = cmath_vect_getLength(&toEnd, &b); status < 0) return status;
  *ratio = a <= b ? a / b : b / a;
  return 0;
}

}  // namespace

extern "C" int32_t cid_region_getCenter(const cid_region* region, cmath_vect* center) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(center != nullptr);
  *center = cid_region_centerPoint(*region);
  return 0;
}

extern "C" int32_t cid_region_getXCenterSegment(const cid_region* region, cidut_lineSeg* segment) {
  return cid_region_centerSegment(*region, cid_regionAxis::x, nullptr, segment);
}

extern "C" int32_t cid_region_getYCenterSegment(const cid_region* region, cidut_lineSeg* segment) {
  return cid_region_centerSegment(*region, cid_regionAxis::y, nullptr, segment);
}

extern "C" int32_t cid_region_getCenterSegments(const cid_region* region, cmath_vect* center,
                                                cidut_lineSeg* xSegment, cidut_lineSeg* ySegment) {
  *center = cid_region_centerPoint(*region);
  if (const int32_t status = cid_region_centerSegment(*region, cid_regionAxis::x, center, xSegment);
      status < 0)
    return status;
  return cid_region_centerSegment(*region, cid_regionAxis::y, center, ySegment);
}

extern "C" int32_t cid_region_getAvXUnitDir(const cid_region* region, cmath_vect* unit) {
  return averageUnitDir(*region, cid_regionAxis::x, unit);
}

extern "C" int32_t cid_region_getAvYUnitDir(const cid_region* region, cmath_vect* unit) {
  return averageUnitDir(*region, cid_regionAxis::y, unit);
}

extern "C" int32_t cid_region_getAvXAngle(const cid_region* region, double* angle) {
  return averageAngle(*region, cid_regionAxis::x, angle);
}

extern "C" int32_t cid_region_getAvYAngle(const cid_region* region, double* angle) {
  return averageAngle(*region, cid_regionAxis::y, angle);
}

extern "C" int32_t cid_region_getAvXLength(const cid_region* region, double* length) {
  return averageLength(*region, cid_regionAxis::x, length);
}

extern "C" int32_t cid_region_getAvYLength(const cid_region* region, double* length) {
  return averageLength(*region, cid_regionAxis::y, length);
}

extern "C" int32_t cid_region_getXForshortening(const cid_region* region, double* ratio) {
  return foreshortening(*region, cid_regionAxis::x, ratio);
}

extern "C" int32_t cid_region_getYForshortening(const cid_region* region, double* ratio) {
  return foreshortening(*region, cid_regionAxis::y, ratio);
}
