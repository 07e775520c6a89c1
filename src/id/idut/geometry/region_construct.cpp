// Symbol regions from corners, affine rectangles and side lines, and back.
#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"

namespace {

// Po, Px, Py, Popp in the order of a point list: perimeter order swaps the last two.
struct cornerOrder {
  int py;
  int popp;
};

cornerOrder orderOf(int32_t perimeterOrder) {
  return perimeterOrder ? cornerOrder{3, 2} : cornerOrder{2, 3};
}

cid_region fromList(const cmath_vect points[4], int32_t perimeterOrder) {
  const cornerOrder order = orderOf(perimeterOrder);
  return cid_region{points[0], points[1], points[order.py], points[order.popp], {1, 1, 1, 1}, 0};
}

}  // namespace

extern "C" int32_t cid_region_init(cid_region* region) {
  CIDUT_CHECK(region != nullptr);
  *region = cid_region{{0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}, {1.0, 1.0}, {1, 1, 1, 1}, 1};
  return 0;
}

extern "C" int32_t cid_region_initPoPxPyPopp(cid_region* region, const cmath_vect* Po,
                                             const cmath_vect* Px, const cmath_vect* Py,
                                             const cmath_vect* Popp) {
  CIDUT_CHECK(Po != nullptr);
  CIDUT_CHECK(Px != nullptr);
  CIDUT_CHECK(Py != nullptr);
  cid_region result{*Po, *Px, *Py, {}, {1, 1, 1, 1}, 0};
  if (Popp != nullptr) {
    result.Popp = *Popp;
  } else {
    result.Popp = cmath_vect{Px->x + (Py->x - Po->x), Px->y + (Py->y - Po->y)};
    result.affine = 1;
  }
  *region = result;
  return 0;
}

extern "C" int32_t cid_region_initAffineRectPoints(cid_region* region, const cmath_vect points[3],
                                                   const cmath_vect* Popp) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(points != nullptr);
  return cid_region_initPoPxPyPopp(region, &points[0], &points[1], &points[2], Popp);
}

extern "C" int32_t cid_region_initAffineRect(cid_region* region, const cmath_shapeAffineRect* rect,
                                             const cmath_vect* Popp) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(rect != nullptr);
  cmath_vect points[3];
  if (const int32_t status = cmath_shapeAffineRect_getPoints(rect, points); status < 0)
    return status;
  return cid_region_initAffineRectPoints(region, points, Popp);
}

extern "C" int32_t cid_region_initAffineRectCenter(cid_region* region,
                                                   const cmath_shapeAffineRectCenter* rect,
                                                   const cmath_vect* Popp) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(rect != nullptr);
  cmath_shapeAffineRect corners;
  if (const int32_t status = cmath_shapeAffineRect_initCenter(&corners, rect); status < 0)
    return status;
  return cid_region_initAffineRect(region, &corners, Popp);
}

extern "C" int32_t cid_region_initVectPoints(cid_region* region, const cmath_vect points[4],
                                             int32_t perimeterOrder) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(points != nullptr);
  *region = fromList(points, perimeterOrder);
  return 0;
}

extern "C" int32_t cid_region_initPoints(cid_region* region, const double points[8],
                                         int32_t perimeterOrder) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(points != nullptr);
  const cmath_vect list[4] = {{points[0], points[1]},
                              {points[2], points[3]},
                              {points[4], points[5]},
                              {points[6], points[7]}};
  *region = fromList(list, perimeterOrder);
  return 0;
}

extern "C" int32_t cid_region_getVectPoints(const cid_region* region, cmath_vect points[4],
                                            int32_t perimeterOrder) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(points != nullptr);
  const cornerOrder order = orderOf(perimeterOrder);
  points[0] = region->Po;
  points[1] = region->Px;
  points[order.py] = region->Py;
  points[order.popp] = region->Popp;
  return 0;
}

extern "C" int32_t cid_region_getPoints(const cid_region* region, double points[8],
                                        int32_t perimeterOrder) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(points != nullptr);
  cmath_vect list[4];
  cid_region_getVectPoints(region, list, perimeterOrder);
  for (int i = 0; i < 4; ++i) {
    points[2 * i] = list[i].x;
    points[2 * i + 1] = list[i].y;
  }
  return 0;
}

extern "C" int32_t cid_region_initLines(cid_region* region, const cmath_shapeLine ySides[2],
                                        const cmath_shapeLine xSides[2]) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(ySides != nullptr);
  CIDUT_CHECK(xSides != nullptr);
  // Po, Px, Py, Popp: the crossings Y0 X0, Y1 X0, Y0 X1, Y1 X1.
  cmath_vect corners[4];
  for (int i = 0; i < 4; ++i) {
    const int32_t status =
        cmath_shapeLine_intersection(&ySides[i & 1], &xSides[i >> 1], &corners[i]);
    if (status < 0) return status;
  }
  return cid_region_initPoPxPyPopp(region, &corners[0], &corners[1], &corners[2], &corners[3]);
}

extern "C" int32_t cid_region_getLines(const cid_region* region, cmath_shapeLine ySides[2],
                                       cmath_shapeLine xSides[2]) {
  CIDUT_CHECK(region != nullptr);
  CIDUT_CHECK(ySides != nullptr);
  CIDUT_CHECK(xSides != nullptr);
  const cid_region& r = *region;
  const cmath_shapeLine y[2] = {{{r.Py.x - r.Po.x, r.Py.y - r.Po.y}, r.Po},
                                {{r.Popp.x - r.Px.x, r.Popp.y - r.Px.y}, r.Px}};
  const cmath_shapeLine x[2] = {{{r.Px.x - r.Po.x, r.Px.y - r.Po.y}, r.Po},
                                {{r.Popp.x - r.Py.x, r.Popp.y - r.Py.y}, r.Py}};
  ySides[0] = y[0];
  ySides[1] = y[1];
  xSides[0] = x[0];
  xSides[1] = x[1];
  return 0;
}
