// The kit's C++ linear-algebra values: 2-D vectors, 2x2 matrices, affine transforms and
// angles in radians or degrees. Each class wraps the C record of kit/math.h, so that a
// value hands its record to the C calls without conversion.
//
// Transforms map p to M p + t (x' = m00 x + m01 y + tx, y' = m10 x + m11 y + ty).
// Angles run from the x axis towards the y axis.
#pragma once

#include <stdint.h>

#include <compare>

#include "kit/export.h"
#include "kit/math.h"

class cxDegree;

// An angle in radians.
class CKIT_API cxRadian {
 public:
  constexpr cxRadian() : value_(0.0) {}
  explicit constexpr cxRadian(double radians) : value_(radians) {}
  // Degrees convert implicitly: a cxDegree may be added to a cxRadian.
  cxRadian(cxDegree degrees);

  constexpr double toDouble() const { return value_; }

  constexpr cxRadian operator+(cxRadian other) const { return cxRadian(value_ + other.value_); }
  constexpr cxRadian operator-(cxRadian other) const { return cxRadian(value_ - other.value_); }
  constexpr cxRadian operator-() const { return cxRadian(-value_); }
  constexpr cxRadian& operator+=(cxRadian other) {
    value_ += other.value_;
    return *this;
  }
  constexpr cxRadian& operator-=(cxRadian other) {
    value_ -= other.value_;
    return *this;
  }
  constexpr auto operator<=>(const cxRadian&) const = default;

 private:
  double value_;
};

// An angle in degrees.
class CKIT_API cxDegree {
 public:
  constexpr cxDegree() : value_(0.0) {}
  explicit constexpr cxDegree(double degrees) : value_(degrees) {}
  cxDegree(cxRadian radians);

  constexpr double toDouble() const { return value_; }

  constexpr cxDegree operator+(cxDegree other) const { return cxDegree(value_ + other.value_); }
  constexpr cxDegree operator-(cxDegree other) const { return cxDegree(value_ - other.value_); }
  constexpr cxDegree operator-() const { return cxDegree(-value_); }
  constexpr auto operator<=>(const cxDegree&) const = default;

 private:
  double value_;
};

// A 2-D point or vector.
class CKIT_API cx2Vect {
 public:
  constexpr cx2Vect() : v_{0.0, 0.0} {}
  constexpr cx2Vect(double x, double y) : v_{x, y} {}
  explicit constexpr cx2Vect(const cmath_vect& v) : v_(v) {}

  constexpr double x() const { return v_.x; }
  constexpr double y() const { return v_.y; }
  constexpr const cmath_vect& vect() const { return v_; }
  double length() const;

  constexpr cx2Vect operator+(const cx2Vect& o) const {
    return cx2Vect(v_.x + o.v_.x, v_.y + o.v_.y);
  }
  constexpr cx2Vect operator-(const cx2Vect& o) const {
    return cx2Vect(v_.x - o.v_.x, v_.y - o.v_.y);
  }
  constexpr cx2Vect operator*(double f) const { return cx2Vect(v_.x * f, v_.y * f); }
  constexpr bool operator==(const cx2Vect& o) const { return v_.x == o.v_.x && v_.y == o.v_.y; }

 private:
  cmath_vect v_;
};

// A 2x2 matrix [[m00, m01], [m10, m11]].
class CKIT_API cx2Matrix {
 public:
  // The identity.
  constexpr cx2Matrix() : m_{1.0, 0.0, 0.0, 1.0} {}
  constexpr cx2Matrix(double m00, double m01, double m10, double m11) : m_{m00, m01, m10, m11} {}
  explicit constexpr cx2Matrix(const cmath_matrix& m) : m_(m) {}
  // The rotation by angle: (1, 0) goes to (cos angle, sin angle).
  static cx2Matrix rotation(cxRadian angle);

  // Element at row, column (each 0 or 1; anything else is an argument error).
  double element(int32_t row, int32_t column) const;
  constexpr const cmath_matrix& matrix() const { return m_; }

 private:
  cmath_matrix m_;
};

// An affine transform p -> M p + t.
class CKIT_API cx2Xform {
 public:
  // The identity.
  cx2Xform();
  cx2Xform(const cx2Matrix& matrix, const cx2Vect& trans);
  explicit constexpr cx2Xform(const cmath_xformLinear& x) : x_(x) {}

  cx2Matrix matrix() const { return cx2Matrix(x_.matrix); }
  cx2Vect trans() const { return cx2Vect(x_.translation); }
  constexpr const cmath_xformLinear& xformLinear() const { return x_; }

  // The image of point p.
  cx2Vect operator*(const cx2Vect& p) const;
  // Composition: (a * b) * p = a * (b * p).
  cx2Xform operator*(const cx2Xform& inner) const;

 private:
  cmath_xformLinear x_;
};
