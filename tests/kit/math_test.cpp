// Kit arithmetic: vectors, linear transforms, fixed-point trigonometry and square roots,
// integer rectangles and affine rectangles.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "kit/math.h"
#include "kit/shapes.h"
#include "kit/std.h"

namespace {

TEST(Vect, UnitDirectionAndZeroVector) {
  cmath_vect unit{9, 9};
  const cmath_vect zero{0, 0};
  EXPECT_EQ(cmath_vect_getUnit(&zero, &unit), CMATH_STATUS_ZERO_VECTOR);
  EXPECT_EQ(unit.x, 9);
  const cmath_vect v{3, -4};
  ASSERT_EQ(cmath_vect_getUnit(&v, &unit), 0);
  EXPECT_DOUBLE_EQ(unit.x, 0.6);
  EXPECT_DOUBLE_EQ(unit.y, -0.8);
  double angle, length, cross;
  cmath_vect_getDirection(&v, &angle);
  EXPECT_DOUBLE_EQ(angle, std::atan2(-4.0, 3.0));
  cmath_vect_getLength(&v, &length);
  EXPECT_DOUBLE_EQ(length, 5.0);
  const cmath_vect w{1, 2};
  cmath_vect_cross(&v, &w, &cross);
  EXPECT_DOUBLE_EQ(cross, 3 * 2 - (-4) * 1);
}

TEST(Double, RoundingHelpers) {
  EXPECT_EQ(cmath_double_round(2.5), 3);
  EXPECT_EQ(cmath_double_round(-2.5), -3);
  EXPECT_EQ(cmath_double_floor(-0.5), -1);
  EXPECT_EQ(cmath_double_ceil(-0.5), 0);
  EXPECT_TRUE(cmath_double_epsilonEqual(1.0, 1.0 + 1e-6, 1e-5));
  EXPECT_FALSE(cmath_double_epsilonEqual(1.0, 1.0 + 1e-4, 1e-5));
}

TEST(XformLinear, ComposeInverseAndMap) {
  cmath_xformLinear a, b, ab, inverse, identity;
  const cmath_matrix m{2, 1, -1, 3};
  const cmath_vect t{5, -7};
  cmath_xformLinear_initMatrixTrans(&a, &m, &t);
  const cmath_matrix n{0, -1, 1, 0};
  const cmath_vect u{1, 2};
  cmath_xformLinear_initMatrixTrans(&b, &n, &u);
  cmath_xformLinear_initCompose(&ab, &a, &b);
  const cmath_vect p{0.25, -3.5};
  cmath_vect viaB, viaBoth, direct;
  cmath_xformLinear_mapPoint(&b, &p, &viaB);
  cmath_xformLinear_mapPoint(&a, &viaB, &viaBoth);
  cmath_xformLinear_mapPoint(&ab, &p, &direct);
  EXPECT_DOUBLE_EQ(direct.x, viaBoth.x);
  EXPECT_DOUBLE_EQ(direct.y, viaBoth.y);

  ASSERT_EQ(cmath_xformLinear_getInverse(&ab, &inverse), 0);
  cmath_xformLinear_initCompose(&identity, &inverse, &ab);
  EXPECT_NEAR(identity.matrix.xx, 1, 1e-12);
  EXPECT_NEAR(identity.matrix.xy, 0, 1e-12);
  EXPECT_NEAR(identity.translation.x, 0, 1e-12);
  EXPECT_NEAR(identity.translation.y, 0, 1e-12);
  double det;
  cmath_xformLinear_getDeterminant(&ab, &det);
  EXPECT_DOUBLE_EQ(det, 7.0);

  const cmath_matrix singular{1, 2, 2, 4};
  cmath_xformLinear_initMatrixTrans(&a, &singular, &t);
  EXPECT_EQ(cmath_xformLinear_getInverse(&a, &inverse), CMATH_STATUS_SINGULAR);
}

TEST(FixedPoint, SquareRootIsTheExactFloor) {
  for (uint32_t v : {0u, 1u, 2u, 3u, 4u, 15u, 16u, 17u, 65535u, 1u << 30, 4294836225u,
                     4294967295u}) {
    const uint32_t r = cmath_sqrt32(v);
    EXPECT_LE(uint64_t{r} * r, v);
    EXPECT_GT((uint64_t{r} + 1) * (r + 1), v);
  }
  EXPECT_EQ(cmath_sqrt32(4294967295u), 65535u);
}

TEST(FixedPoint, SineAndCosineAreRoundedAndSymmetric) {
  EXPECT_EQ(cmath_cos16FixedPoint(0, 15), 32768);
  EXPECT_EQ(cmath_sin16FixedPoint(16384, 15), 32768);
  EXPECT_EQ(cmath_cos16FixedPoint(16384, 16), 0);
  EXPECT_EQ(cmath_cos16FixedPoint(32768, 16), -65536);
  EXPECT_EQ(cmath_sin16FixedPoint(-16384, 16), -65536);
  for (int32_t a = 0; a < 65536; a += 97) {
    const double radians = a * std::numbers::pi / 32768.0;
    EXPECT_EQ(cmath_sin16FixedPoint(a, 16), std::lround(std::sin(radians) * 65536.0)) << a;
    EXPECT_EQ(cmath_cos16FixedPoint(a, 15), std::lround(std::cos(radians) * 32768.0)) << a;
    EXPECT_EQ(cmath_sin16FixedPoint(a, 16), -cmath_sin16FixedPoint(-a, 16));
    EXPECT_EQ(cmath_cos16FixedPoint(a, 16), cmath_cos16FixedPoint(-a, 16));
  }
  EXPECT_EQ(cxfIMax(-3, 2), 2);
}

TEST(Rect32, IntersectContainAndNull) {
  cstd_rect32 a, b, out;
  cstd_rect32_init(&a, 0, 0, 10, 10);
  cstd_rect32_init(&b, 5, -5, 10, 10);
  cstd_rect32_intersect(&a, &b, &out);
  EXPECT_EQ(out.x, 5);
  EXPECT_EQ(out.y, 0);
  EXPECT_EQ(out.width, 5);
  EXPECT_EQ(out.height, 5);
  int32_t flag;
  cstd_rect32_containsRect(&a, &out, &flag);
  EXPECT_EQ(flag, 1);
  cstd_rect32_containsRect(&out, &a, &flag);
  EXPECT_EQ(flag, 0);
  cstd_rect32_init(&b, 10, 0, 5, 5);  // touches a's right side only
  cstd_rect32_intersect(&a, &b, &out);
  cstd_rect32_getIsNull(&out, &flag);
  EXPECT_EQ(flag, 1);
  cstd_rect32_init(&b, INT32_MAX - 5, 0, 10, 10);  // ends beyond the int32 range
  cstd_rect32_intersect(&b, &b, &out);
  EXPECT_EQ(out.width, 10);
}

TEST(AffineRect, WithinIncludesTheBorder) {
  const cmath_shapeAffineRect rect{{1, 1}, {5, 3}, {0, 3}};  // a slanted parallelogram
  int32_t within;
  for (const cmath_vect& p : {cmath_vect{1, 1}, cmath_vect{4, 5}, cmath_vect{3, 2}, cmath_vect{2.5, 3}}) {
    cmath_shapeAffineRect_within(&rect, &p, &within);
    EXPECT_EQ(within, 1) << p.x << "," << p.y;
  }
  for (const cmath_vect& p : {cmath_vect{0, 0}, cmath_vect{5.1, 3}, cmath_vect{1, 4}}) {
    cmath_shapeAffineRect_within(&rect, &p, &within);
    EXPECT_EQ(within, 0) << p.x << "," << p.y;
  }
  const cmath_shapeAffineRect flat{{0, 0}, {2, 0}, {4, 0}};
  const cmath_vect onIt{1, 0};
  cmath_shapeAffineRect_within(&flat, &onIt, &within);
  EXPECT_EQ(within, 0);
}

}  // namespace
