// 2x2 matrices and linear transforms p -> M p + t.
#include "kit/math.h"

namespace {

double determinant(const cmath_matrix& m) { return m.xx * m.yy - m.xy * m.yx; }

cmath_vect apply(const cmath_matrix& m, const cmath_vect& p) {
  return cmath_vect{m.xx * p.x + m.xy * p.y, m.yx * p.x + m.yy * p.y};
}

}  // namespace

extern "C" int32_t cmath_matrix_init(cmath_matrix* m, double xx, double xy, double yx, double yy) {
  *m = cmath_matrix{xx, xy, yx, yy};
  return 0;
}

extern "C" int32_t cmath_matrix_getDeterminant(const cmath_matrix* m, double* result) {
  *result = determinant(*m);
  return 0;
}

extern "C" int32_t cmath_xformLinear_initIdentity(cmath_xformLinear* x) {
  *x = cmath_xformLinear{{1.0, 0.0, 0.0, 1.0}, {0.0, 0.0}};
  return 0;
}

extern "C" int32_t cmath_xformLinear_initMatrixTrans(cmath_xformLinear* x, const cmath_matrix* m,
                                                     const cmath_vect* translation) {
  *x = cmath_xformLinear{*m, *translation};
  return 0;
}

extern "C" int32_t cmath_xformLinear_initCompose(cmath_xformLinear* x,
                                                 const cmath_xformLinear* outer,
                                                 const cmath_xformLinear* inner) {
  const cmath_matrix& a = outer->matrix;
  const cmath_matrix& b = inner->matrix;
  const cmath_vect t = apply(a, inner->translation);
  *x = cmath_xformLinear{{a.xx * b.xx + a.xy * b.yx, a.xx * b.xy + a.xy * b.yy,
                          a.yx * b.xx + a.yy * b.yx, a.yx * b.xy + a.yy * b.yy},
                         {t.x + outer->translation.x, t.y + outer->translation.y}};
  return 0;
}

extern "C" int32_t cmath_xformLinear_getInverse(const cmath_xformLinear* x,
                                                cmath_xformLinear* inverse) {
  const cmath_matrix& m = x->matrix;
  const double det = determinant(m);
  if (det == 0.0) return CMATH_STATUS_SINGULAR;
  const cmath_matrix inv{m.yy / det, -m.xy / det, -m.yx / det, m.xx / det};
  const cmath_vect t = apply(inv, x->translation);
  *inverse = cmath_xformLinear{inv, {-t.x, -t.y}};
  return 0;
}

extern "C" int32_t cmath_xformLinear_getMatrix(const cmath_xformLinear* x, cmath_matrix* m) {
  *m = x->matrix;
  return 0;
}

extern "C" int32_t cmath_xformLinear_getTranslation(const cmath_xformLinear* x, cmath_vect* t) {
  *t = x->translation;
  return 0;
}

extern "C" int32_t cmath_xformLinear_getDeterminant(const cmath_xformLinear* x, double* result) {
  *result = determinant(x->matrix);
  return 0;
}

extern "C" int32_t cmath_xformLinear_mapPoint(const cmath_xformLinear* x, const cmath_vect* p,
                                              cmath_vect* out) {
  const cmath_vect q = apply(x->matrix, *p);
  *out = cmath_vect{q.x + x->translation.x, q.y + x->translation.y};
  return 0;
}
