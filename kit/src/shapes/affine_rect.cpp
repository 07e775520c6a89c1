// Affine rectangles: construction from corners, side measures, degeneracy, containment and
// the enclosing integer rectangle.
#include <cmath>
#include <limits>

#include "kit/shapes.h"

namespace {

bool isFinite(const cmath_vect& p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

bool isFinite(const cmath_shapeAffineRect& r) {
  return isFinite(r.po) && isFinite(r.px) && isFinite(r.py);
}

cmath_vect difference(const cmath_vect& a, const cmath_vect& b) {
  return cmath_vect{a.x - b.x, a.y - b.y};
}

// The integer span [floor(low), ceil(high)) as a start and a length.
bool toSpan(double low, double high, int32_t* start, int32_t* length) {
  const double first = std::floor(low);
  const double extent = std::ceil(high) - first;
  constexpr double min = std::numeric_limits<int32_t>::min();
  constexpr double max = std::numeric_limits<int32_t>::max();
  if (first < min || first > max || extent > max) return false;
  *start = static_cast<int32_t>(first);
  *length = static_cast<int32_t>(extent);
  return true;
}

}  // namespace

extern "C" int32_t cmath_shapeAffineRect_init(cmath_shapeAffineRect* rect) {
  *rect = cmath_shapeAffineRect{{0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}};
  return 0;
}

extern "C" int32_t cmath_shapeAffineRect_initNull(cmath_shapeAffineRect* rect) {
  *rect = cmath_shapeAffineRect{{0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}};
  return 0;
}

extern "C" int32_t cmath_shapeAffineRect_getIsNull(const cmath_shapeAffineRect* rect,
                                                   int32_t* isNull) {
  *isNull = rect->po.x == 0.0 && rect->po.y == 0.0 && rect->px.x == 0.0 && rect->px.y == 0.0 &&
            rect->py.x == 0.0 && rect->py.y == 0.0;
  return 0;
}

extern "C" int32_t cmath_shapeAffineRect_initPoints(cmath_shapeAffineRect* rect,
                                                    const cmath_vect points[3]) {
  const cmath_shapeAffineRect result{points[0], points[1], points[2]};
  if (!isFinite(result)) return CMATH_STATUS_NOT_FINITE;
  *rect = result;
  return 0;
}

extern "C" int32_t cmath_shapeAffineRect_getPoints(const cmath_shapeAffineRect* rect,
                                                   cmath_vect points[3]) {
  if (!isFinite(*rect)) return CMATH_STATUS_NOT_FINITE;
  points[0] = rect->po;
  points[1] = rect->px;
  points[2] = rect->py;
  return 0;
}

extern "C" int32_t cmath_shapeAffineRect_getXLength(const cmath_shapeAffineRect* rect,
                                                    double* length) {
  *length = std::hypot(rect->px.x - rect->po.x, rect->px.y - rect->po.y);
  return 0;
}

extern "C" int32_t cmath_shapeAffineRect_getYLength(const cmath_shapeAffineRect* rect,
                                                    double* length) {
  *length = std::hypot(rect->py.x - rect->po.x, rect->py.y - rect->po.y);
  return 0;
}

extern "C" int32_t cmath_shapeAffineRect_getUnitPoPx(const cmath_shapeAffineRect* rect,
                                                     cmath_vect* unit) {
  const cmath_vect side = difference(rect->px, rect->po);
  return cmath_vect_getUnit(&side, unit);
}

extern "C" int32_t cmath_shapeAffineRect_getEncloseImageRect(const cmath_shapeAffineRect* rect,
                                                             const cmath_xformLinear* xform,
                                                             cstd_rect32* enclosing) {
  cmath_vect corners[4] = {
      rect->po,
      rect->px,
      rect->py,
      {rect->px.x + rect->py.x - rect->po.x, rect->px.y + rect->py.y - rect->po.y}};
  double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  for (cmath_vect& corner : corners) {
    if (xform != nullptr) cmath_xformLinear_mapPoint(xform, &corner, &corner);
    if (!isFinite(corner)) return CMATH_STATUS_NOT_FINITE;
    minX = std::fmin(minX, corner.x);
    minY = std::fmin(minY, corner.y);
    maxX = std::fmax(maxX, corner.x);
    maxY = std::fmax(maxY, corner.y);
  }
  cstd_rect32 result;
  if (!toSpan(minX, maxX, &result.x, &result.width) ||
      !toSpan(minY, maxY, &result.y, &result.height))
    return CMATH_STATUS_OUT_OF_RANGE;
  *enclosing = result;
  return 0;
}

extern "C" int32_t cmath_shapeAffineRect_getIsDegenerate(const cmath_shapeAffineRect* rect,
                                                         int32_t* isDegenerate) {
  const cmath_vect a = difference(rect->px, rect->po);
  const cmath_vect b = difference(rect->py, rect->po);
  const double area = std::fabs(a.x * b.y - a.y * b.x);
  *isDegenerate = area <= 1e-12 * std::hypot(a.x, a.y) * std::hypot(b.x, b.y);
  return 0;
}

extern "C" int32_t cmath_shapeAffineRect_within(const cmath_shapeAffineRect* rect,
                                                const cmath_vect* point, int32_t* within) {
  // Solve point - Po = u (Px - Po) + v (Py - Po) by Cramer's rule; inside when both
  // coordinates lie in [0, 1].
  const double ax = rect->px.x - rect->po.x, ay = rect->px.y - rect->po.y;
  const double bx = rect->py.x - rect->po.x, by = rect->py.y - rect->po.y;
  const double dx = point->x - rect->po.x, dy = point->y - rect->po.y;
  const double det = ax * by - ay * bx;
  if (det == 0.0) {
    *within = 0;
    return 0;
  }
  const double u = (dx * by - dy * bx) / det;
  const double v = (ax * dy - ay * dx) / det;
  *within = u >= 0.0 && u <= 1.0 && v >= 0.0 && v <= 1.0;
  return 0;
}
