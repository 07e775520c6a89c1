// Affine rectangles in centre form: centre, side lengths and the rotations of the two axes.
#include <cmath>
#include <numbers>

#include "kit/shapes.h"

namespace {

bool isZero(const cmath_vect& v) {
  return v.x == 0.0 && v.y == 0.0;
}

// The angle of v less a quarter turn, in (-pi, pi].
double quarterTurnBack(const cmath_vect& v) {
  // atan2 of v turned by -pi/2, that is of (v.y, -v.x); exact for the axis directions.
  return std::atan2(-v.x, v.y);
}

}  // namespace

extern "C" int32_t cmath_shapeAffineRect_initCenter(cmath_shapeAffineRect* rect,
                                                    const cmath_shapeAffineRectCenter* center) {
  const cmath_shapeAffineRectCenter& c = *center;
  if (!std::isfinite(c.center.x) || !std::isfinite(c.center.y) || !std::isfinite(c.xLength) ||
      !std::isfinite(c.yLength) || !std::isfinite(c.xRotation) || !std::isfinite(c.yRotation))
    return CMATH_STATUS_NOT_FINITE;
  const cmath_vect x{c.xLength * std::cos(c.xRotation), c.xLength * std::sin(c.xRotation)};
  const cmath_vect y{-c.yLength * std::sin(c.yRotation), c.yLength * std::cos(c.yRotation)};
  const cmath_vect po{c.center.x - (x.x + y.x) / 2, c.center.y - (x.y + y.y) / 2};
  *rect = cmath_shapeAffineRect{po, {po.x + x.x, po.y + x.y}, {po.x + y.x, po.y + y.y}};
  return 0;
}

extern "C" int32_t cmath_shapeAffineRect_getCenter(const cmath_shapeAffineRect* rect,
                                                   cmath_shapeAffineRectCenter* center) {
  const cmath_vect x{rect->px.x - rect->po.x, rect->px.y - rect->po.y};
  const cmath_vect y{rect->py.x - rect->po.x, rect->py.y - rect->po.y};
  double xRotation = std::atan2(x.y, x.x);
  double yRotation = quarterTurnBack(y);
  if (isZero(x)) xRotation = isZero(y) ? 0.0 : yRotation;
  if (isZero(y)) yRotation = xRotation;
  // atan2 gives -pi for a negative zero; report the half turn as +pi.
  if (xRotation == -std::numbers::pi) xRotation = std::numbers::pi;
  if (yRotation == -std::numbers::pi) yRotation = std::numbers::pi;
  *center =
      cmath_shapeAffineRectCenter{{rect->po.x + (x.x + y.x) / 2, rect->po.y + (x.y + y.y) / 2},
                                  std::hypot(x.x, x.y),
                                  std::hypot(y.x, y.y),
                                  xRotation,
                                  yRotation};
  return 0;
}
