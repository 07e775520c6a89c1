// Affine rectangles.
#include "kit/shapes.h"

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
