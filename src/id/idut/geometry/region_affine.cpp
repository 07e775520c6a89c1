// Affine views of symbol regions: the parallelogram of a general region and the kit's
// affine rectangle of a region.
#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"
#include "id/idut/geometry/region_geometry.h"

extern "C" int32_t cid_region_getAffineRectAndPopp(const cid_region* region,
                                                   cmath_shapeAffineRect* rect, cmath_vect* Popp) {
  const cmath_vect points[3] = {region->Po, region->Px, region->Py};
  if (const int32_t status = cmath_shapeAffineRect_initPoints(rect, points); status < 0)
    return status;
  *Popp = region->Popp;
  return 0;
}

extern "C" int32_t cid_region_initMakeAffine(cid_region* region, const cid_region* in) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(in != nullptr);
  if (in->affine) {
    *region = *in;
    return 0;
  }
  const cmath_vect ctr = cid_region_centerPoint(*in);
  cidut_lineSeg a, b;
  if (const int32_t status = cid_region_centerSegment(*in, cid_regionAxis::x, &ctr, &a); status < 0)
    return status;
  if (const int32_t status = cid_region_centerSegment(*in, cid_regionAxis::y, &ctr, &b); status < 0)
    return status;
  // The X centre segment moved by the offsets of the Y centre segment's ends from the
  // centre: to the first X side it gives Po and Px, its start to the second gives Py.
  const cmath_vect toFirst{b.p1.x - ctr.x, b.p1.y - ctr.y};
  const cmath_vect toSecond{b.p2.x - ctr.x, b.p2.y - ctr.y};
  const cmath_vect po{a.p1.x + toFirst.x, a.p1.y + toFirst.y};
  const cmath_vect px{a.p2.x + toFirst.x, a.p2.y + toFirst.y};
  const cmath_vect py{a.p1.x + toSecond.x, a.p1.y + toSecond.y};
  cid_region result;
  cid_region_initPoPxPyPopp(&result, &po, &px, &py, nullptr);
  cid_region_copyTightness(&result, in);
  *region = result;
  return 0;
}

extern "C" int32_t cid_region_getAffineRect(const cid_region* region, cmath_shapeAffineRect* rect) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(rect != nullptr);
  if (region->affine) {
    cmath_vect popp;
    return cid_region_getAffineRectAndPopp(region, rect, &popp);
  }
  cid_region affine;
  if (const int32_t status = cid_region_initMakeAffine(&affine, region); status < 0) return status;
  const cmath_vect points[3] = {affine.Po, affine.Px, affine.Py};
  return cmath_shapeAffineRect_initPoints(rect, points);
}
