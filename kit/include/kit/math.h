// The kit's arithmetic: 2-D vectors, double helpers, angles, 2x2 matrices, linear
// transforms and fixed-point trigonometry and square roots.
//
// Calls that can fail return a status and write through pointers; pure value helpers
// (cmath_double_*, cmath_radian_norm, cmath_sqrt32, the fixed-point sine and cosine,
// cxfIMax) return their value.
#pragma once

#include <stdint.h>

#include "kit/export.h"

#ifdef __cplusplus
extern "C" {
#endif

// A zero vector has no unit vector.
#define CMATH_STATUS_ZERO_VECTOR ((int32_t)0x80000584)
// A singular linear transform has no inverse.
#define CMATH_STATUS_SINGULAR ((int32_t)0x80000585)

// ---------------------------------------------------------------------------------------
// 2-D points and vectors.

typedef struct cmath_vect {
  double x;
  double y;
} cmath_vect;

CKIT_API int32_t cmath_vect_init(cmath_vect* v, double x, double y);
// v = a - b.
CKIT_API int32_t cmath_vect_initSubtract(cmath_vect* v, const cmath_vect* a, const cmath_vect* b);
// unit = v / |v|; CMATH_STATUS_ZERO_VECTOR (unit untouched) when |v| is 0.
CKIT_API int32_t cmath_vect_getUnit(const cmath_vect* v, cmath_vect* unit);
// Direction angle atan2(y, x) in radians, in (-pi, pi]; 0 for the zero vector.
CKIT_API int32_t cmath_vect_getDirection(const cmath_vect* v, double* angle);
CKIT_API int32_t cmath_vect_getLength(const cmath_vect* v, double* length);
CKIT_API int32_t cmath_vect_getDistance(const cmath_vect* a, const cmath_vect* b, double* distance);
// z component of a x b: a.x * b.y - a.y * b.x.
CKIT_API int32_t cmath_vect_cross(const cmath_vect* a, const cmath_vect* b, double* cross);

// ---------------------------------------------------------------------------------------
// Double helpers. Rounding goes half away from zero; floor, ceil and round return int32.

CKIT_API int32_t cmath_double_epsilonEqual(double a, double b, double epsilon);
CKIT_API int32_t cmath_double_round(double value);
CKIT_API int32_t cmath_double_floor(double value);
CKIT_API int32_t cmath_double_ceil(double value);
CKIT_API double cmath_double_min(double a, double b);
CKIT_API double cmath_double_max(double a, double b);
CKIT_API double cmath_double_sqr(double value);

// ---------------------------------------------------------------------------------------
// Angles in radians.

// The same direction in [0, 2 pi): whole turns added or removed. A value that would round
// to 2 pi itself (a tiny negative angle) is returned as 0. Not-a-number and infinities give
// not-a-number.
CKIT_API double cmath_radian_norm(double angle);

// ---------------------------------------------------------------------------------------
// 2x2 matrices and linear (affine) transforms. A transform maps p to M p + t:
//   x' = xx * x + xy * y + tx,   y' = yx * x + yy * y + ty.

typedef struct cmath_matrix {
  double xx, xy;
  double yx, yy;
} cmath_matrix;

typedef struct cmath_xformLinear {
  cmath_matrix matrix;
  cmath_vect translation;
} cmath_xformLinear;

CKIT_API int32_t cmath_matrix_init(cmath_matrix* m, double xx, double xy, double yx, double yy);
CKIT_API int32_t cmath_matrix_getDeterminant(const cmath_matrix* m, double* determinant);
// m = scale * rotation by angle (radians, from the x axis towards the y axis):
//   xx = scale cos, xy = -scale sin, yx = scale sin, yy = scale cos.
CKIT_API int32_t cmath_matrix_initRotationScale(cmath_matrix* m, double angle, double scale);
// out = m p; p and out may alias.
CKIT_API int32_t cmath_matrix_mapPoint(const cmath_matrix* m, const cmath_vect* p, cmath_vect* out);

CKIT_API int32_t cmath_xformLinear_initIdentity(cmath_xformLinear* x);
CKIT_API int32_t cmath_xformLinear_initMatrixTrans(cmath_xformLinear* x, const cmath_matrix* m,
                                                   const cmath_vect* translation);
// x(p) = outer(inner(p)); x may alias either operand.
CKIT_API int32_t cmath_xformLinear_initCompose(cmath_xformLinear* x, const cmath_xformLinear* outer,
                                               const cmath_xformLinear* inner);
// CMATH_STATUS_SINGULAR (inverse untouched) when the determinant is 0. May alias.
CKIT_API int32_t cmath_xformLinear_getInverse(const cmath_xformLinear* x,
                                              cmath_xformLinear* inverse);
CKIT_API int32_t cmath_xformLinear_getMatrix(const cmath_xformLinear* x, cmath_matrix* m);
CKIT_API int32_t cmath_xformLinear_getTranslation(const cmath_xformLinear* x, cmath_vect* t);
CKIT_API int32_t cmath_xformLinear_getDeterminant(const cmath_xformLinear* x, double* determinant);
// out = x(p); p and out may alias.
CKIT_API int32_t cmath_xformLinear_mapPoint(const cmath_xformLinear* x, const cmath_vect* p,
                                            cmath_vect* out);

// ---------------------------------------------------------------------------------------
// Fixed point.

// Integer square root: floor(sqrt(value)), at most 65535.
CKIT_API uint32_t cmath_sqrt32(uint32_t value);
// Cosine and sine of a binary angle (65536 units per turn; only the low 16 bits of angle
// count), rounded to the nearest multiple of 2^-fractionalBits (0 <= fractionalBits <= 30).
CKIT_API int32_t cmath_cos16FixedPoint(int32_t angle, int32_t fractionalBits);
CKIT_API int32_t cmath_sin16FixedPoint(int32_t angle, int32_t fractionalBits);

CKIT_API int32_t cxfIMax(int32_t a, int32_t b);
// value limited to low .. high: low below it, high above it (low <= high).
CKIT_API int32_t cxfILimit(int32_t value, int32_t low, int32_t high);

#ifdef __cplusplus
}
#endif
