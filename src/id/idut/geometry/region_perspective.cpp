// Perspective change: regions whose sides pass through given segment ends and point where
// a reference region's sides meet.
#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"
#include "id/idut/geometry/region_geometry.h"

namespace {

// The line through p towards where the reference's sides of the family meet.
cmath_shapeLine sideThrough(const cid_region& reference, cid_regionAxis family,
                            const cmath_vect& p) {
  return cmath_shapeLine{cid_region_vanishingDir(reference, family, p), p};
}

// The parallelogram whose centre segments are xSegment and ySegment moved to cross at
// xSegment's midpoint: Po and Px are the X segment's ends moved back by half the Y segment.
cid_region fromMidpointSegments(const cidut_lineSeg& xSegment, const cidut_lineSeg& ySegment) {
  const cmath_vect h{(ySegment.p2.x - ySegment.p1.x) / 2, (ySegment.p2.y - ySegment.p1.y) / 2};
  const cmath_vect po{xSegment.p1.x - h.x, xSegment.p1.y - h.y};
  const cmath_vect px{xSegment.p2.x - h.x, xSegment.p2.y - h.y};
  const cmath_vect py{xSegment.p1.x + h.x, xSegment.p1.y + h.y};
  cid_region result;
  cid_region_initPoPxPyPopp(&result, &po, &px, &py, nullptr);
  return result;
}

}  // namespace

extern "C" int32_t cid_region_initBoundPoints(cid_region* out, const cidut_lineSeg* xSegment,
                                              const cidut_lineSeg* ySegment,
                                              const cid_region* region,
                                              const cid_region* reference) {
  CIDUT_CHECK(out != nullptr);
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(reference != nullptr);
  cid_region result;
  if (reference->affine) {
    result = fromMidpointSegments(
        xSegment ? *xSegment : cid_region_midpointSegment(*region, cid_regionAxis::x),
        ySegment ? *ySegment : cid_region_midpointSegment(*region, cid_regionAxis::y));
  } else {
    cmath_shapeLine ySides[2], xSides[2];
    cid_region_getLines(region, ySides, xSides);
    if (xSegment != nullptr) {
      ySides[0] = sideThrough(*reference, cid_regionAxis::y, xSegment->p1);
      ySides[1] = sideThrough(*reference, cid_regionAxis::y, xSegment->p2);
    }
    if (ySegment != nullptr) {
      xSides[0] = sideThrough(*reference, cid_regionAxis::x, ySegment->p1);
      xSides[1] = sideThrough(*reference, cid_regionAxis::x, ySegment->p2);
    }
    if (const int32_t status = cid_region_initLines(&result, ySides, xSides); status < 0)
      return status;
  }
  cid_region_copyTightness(&result, region);
  *out = result;
  return 0;
}

extern "C" int32_t cid_region_initChangePersp(cid_region* out, const cid_region* region,
                                              const cid_region* reference, int32_t keepX,
                                              int32_t keepY) {
  CIDUT_CHECK(out != nullptr);
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(reference != nullptr);
  if (reference->affine) {
    *out = *region;
    return 0;
  }
  const cmath_vect ctr = cid_region_centerPoint(*region);
  cidut_lineSeg xSegment, ySegment;
  if (keepX) {
    if (const int32_t status =
            cid_region_centerSegment(*region, cid_regionAxis::x, &ctr, &xSegment);
        status < 0)
      return status;
  }
  if (keepY) {
    if (const int32_t status =
            cid_region_centerSegment(*region, cid_regionAxis::y, &ctr, &ySegment);
        status < 0)
      return status;
  }
  return cid_region_initBoundPoints(out, keepX ? &xSegment : nullptr, keepY ? &ySegment : nullptr,
                                    region, reference);
}
