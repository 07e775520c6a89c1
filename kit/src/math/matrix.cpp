// 2x2 matrices: rotation-scale construction and mapping of points.
#include <cmath>

#include "kit/math.h"

extern "C" int32_t cmath_matrix_initRotationScale(cmath_matrix* m, double angle, double scale) {
  const double c = scale * std::cos(angle);
  const double s = scale * std::sin(angle);
  *m = cmath_matrix{c, -s, s, c};
  return 0;
}

extern "C" int32_t cmath_matrix_mapPoint(const cmath_matrix* m, const cmath_vect* p,
                                         cmath_vect* out) {
  *out = cmath_vect{m->xx * p->x + m->xy * p->y, m->yx * p->x + m->yy * p->y};
  return 0;
}
