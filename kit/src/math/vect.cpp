// 2-D vectors and double helpers.
#include <cmath>

#include "kit/math.h"

extern "C" int32_t cmath_vect_init(cmath_vect* v, double x, double y) {
  *v = cmath_vect{x, y};
  return 0;
}

extern "C" int32_t cmath_vect_initSubtract(cmath_vect* v, const cmath_vect* a, const cmath_vect* b) {
  *v = cmath_vect{a->x - b->x, a->y - b->y};
  return 0;
}

extern "C" int32_t cmath_vect_getUnit(const cmath_vect* v, cmath_vect* unit) {
  const double length = std::hypot(v->x, v->y);
  if (length == 0.0) return CMATH_STATUS_ZERO_VECTOR;
  *unit = cmath_vect{v->x / length, v->y / length};
  return 0;
}

extern "C" int32_t cmath_vect_getDirection(const cmath_vect* v, double* angle) {
  *angle = std::atan2(v->y, v->x);
  return 0;
}

extern "C" int32_t cmath_vect_getLength(const cmath_vect* v, double* length) {
  *length = std::hypot(v->x, v->y);
  return 0;
}

extern "C" int32_t cmath_vect_getDistance(const cmath_vect* a, const cmath_vect* b,
                                          double* distance) {
  *distance = std::hypot(a->x - b->x, a->y - b->y);
  return 0;
}

extern "C" int32_t cmath_vect_cross(const cmath_vect* a, const cmath_vect* b, double* cross) {
  *cross = a->x * b->y - a->y * b->x;
  return 0;
}

extern "C" int32_t cmath_double_epsilonEqual(double a, double b, double epsilon) {
  return std::fabs(a - b) <= epsilon;
}

extern "C" int32_t cmath_double_round(double value) {
  return static_cast<int32_t>(std::lround(value));
}

extern "C" int32_t cmath_double_floor(double value) {
  return static_cast<int32_t>(std::floor(value));
}

extern "C" int32_t cmath_double_ceil(double value) { return static_cast<int32_t>(std::ceil(value)); }

extern "C" double cmath_double_min(double a, double b) { return b < a ? b : a; }

extern "C" double cmath_double_max(double a, double b) { return a < b ? b : a; }

extern "C" double cmath_double_sqr(double value) { return value * value; }
