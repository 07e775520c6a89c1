// Centre point, vanishing directions and centre segments of symbol regions.
#include "id/idut/geometry/region_geometry.h"

namespace {

double cross(const cmath_vect& a, const cmath_vect& b) {
  return a.x * b.y - b.x * a.y;
}

cmath_vect minus(const cmath_vect& a, const cmath_vect& b) {
  return cmath_vect{a.x - b.x, a.y - b.y};
}

// The two corners of a family that are not Po or Popp: Q ends the side of the other family
// through Po, R the side of this family through Po.
struct familyCorners {
  const cmath_vect& q;
  const cmath_vect& r;
};

familyCorners cornersOf(const cid_region& region, cid_regionAxis axis) {
  if (axis == cid_regionAxis::x) return {region.Py, region.Px};
  return {region.Px, region.Py};
}

// Weights of the vanishing direction w.p p + w.po Po + w.r R.
struct vanishingWeights {
  double p;
  double po;
  double r;
};

vanishingWeights weightsOf(const cid_region& region, const familyCorners& corners) {
  const cmath_vect e = minus(region.Popp, corners.q);
  return {cross(e, minus(corners.r, region.Po)), cross(e, minus(corners.q, corners.r)),
          cross(e, minus(region.Po, corners.q))};
}

}  // namespace

cmath_vect cid_region_midpoint(const cmath_vect& a, const cmath_vect& b) {
  return cmath_vect{(a.x + b.x) / 2, (a.y + b.y) / 2};
}

cmath_vect cid_region_centerPoint(const cid_region& region) {
  const cmath_vect& po = region.Po;
  const cmath_vect& px = region.Px;
  if (region.affine) return cid_region_midpoint(po, region.Popp);
  const cmath_vect d1 = minus(region.Py, px);
  const cmath_vect d2 = minus(region.Popp, po);
  const double den = d2.x * d1.y - d1.x * d2.y;
  if (cmath_double_epsilonEqual(den, 0.0, 1e-12)) return cid_region_midpoint(po, region.Popp);
  const double t = (d1.x * (po.y - px.y) - (po.x - px.x) * d1.y) / den;
  return cmath_vect{po.x + t * d2.x, po.y + t * d2.y};
}

cmath_vect cid_region_vanishingDir(const cid_region& region, cid_regionAxis axis,
                                   const cmath_vect& p) {
  const familyCorners corners = cornersOf(region, axis);
  const vanishingWeights w = weightsOf(region, corners);
  return cmath_vect{w.p * p.x + w.po * region.Po.x + w.r * corners.r.x,
                    w.p * p.y + w.po * region.Po.y + w.r * corners.r.y};
}

cidut_lineSeg cid_region_midpointSegment(const cid_region& region, cid_regionAxis axis) {
  const familyCorners corners = cornersOf(region, axis);
  return cidut_lineSeg{cid_region_midpoint(region.Po, corners.q),
                       cid_region_midpoint(corners.r, region.Popp)};
}

int32_t cid_region_centerSegment(const cid_region& region, cid_regionAxis axis,
                                 const cmath_vect* center, cidut_lineSeg* segment) {
  if (region.affine) {
    *segment = cid_region_midpointSegment(region, axis);
    return 0;
  }
  const cmath_vect ctr = center != nullptr ? *center : cid_region_centerPoint(region);
  const familyCorners corners = cornersOf(region, axis);
  const vanishingWeights w = weightsOf(region, corners);
  const cmath_shapeLine line{{w.p * ctr.x + w.r * corners.r.x + w.po * region.Po.x,
                              w.p * ctr.y + w.r * corners.r.y + w.po * region.Po.y},
                             ctr};
  const cmath_shapeLine firstSide{minus(corners.q, region.Po), region.Po};
  const cmath_shapeLine secondSide{minus(region.Popp, corners.r), corners.r};
  cidut_lineSeg result;
  int32_t status = cmath_shapeLine_intersection(&line, &firstSide, &result.p1);
  if (status == CMATH_STATUS_PARALLEL_LINES) {
    result.p1 = cid_region_midpoint(region.Po, corners.q);
    status = 0;
  }
  if (status < 0) return status;
  status = cmath_shapeLine_intersection(&line, &secondSide, &result.p2);
  if (status == CMATH_STATUS_PARALLEL_LINES) {
    result.p2 = cid_region_midpoint(corners.r, region.Popp);
    status = 0;
  }
  if (status < 0) return status;
  *segment = result;
  return 0;
}

int32_t cid_region_unitOrZero(const cmath_vect& v, cmath_vect* unit, bool* wasZero) {
  const int32_t status = cmath_vect_getUnit(&v, unit);
  *wasZero = status == CMATH_STATUS_ZERO_VECTOR;
  if (*wasZero) {
    *unit = cmath_vect{0.0, 0.0};
    return 0;
  }
  return status;
}
