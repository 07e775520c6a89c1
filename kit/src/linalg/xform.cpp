// Vectors, matrices and affine transforms over the kit's C records and calls.
#include <cmath>

#include "kit/linalg.h"
#include "kit/system.h"

double cx2Vect::length() const {
  double length;
  cmath_vect_getLength(&v_, &length);
  return length;
}

cx2Matrix cx2Matrix::rotation(cxRadian angle) {
  const double c = std::cos(angle.toDouble());
  const double s = std::sin(angle.toDouble());
  return cx2Matrix(c, -s, s, c);
}

double cx2Matrix::element(int32_t row, int32_t column) const {
  if (row < 0 || row > 1 || column < 0 || column > 1) cstd_assert_(__LINE__);
  if (row == 0) return column == 0 ? m_.xx : m_.xy;
  return column == 0 ? m_.yx : m_.yy;
}

cx2Xform::cx2Xform() {
  cmath_xformLinear_initIdentity(&x_);
}

cx2Xform::cx2Xform(const cx2Matrix& matrix, const cx2Vect& trans) {
  cmath_xformLinear_initMatrixTrans(&x_, &matrix.matrix(), &trans.vect());
}

cx2Vect cx2Xform::operator*(const cx2Vect& p) const {
  cmath_vect mapped;
  cmath_xformLinear_mapPoint(&x_, &p.vect(), &mapped);
  return cx2Vect(mapped);
}

cx2Xform cx2Xform::operator*(const cx2Xform& inner) const {
  cmath_xformLinear composed;
  cmath_xformLinear_initCompose(&composed, &x_, &inner.x_);
  return cx2Xform(composed);
}
