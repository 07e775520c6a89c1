// Kit arithmetic and shapes: fixed point, angles, transforms, rectangles, ranges, lines.
#include "kit/math.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

#include "kit/linalg.h"
#include "kit/range.h"
#include "kit/shapes.h"
#include "kit/std.h"
#include "support/hooks.h"

namespace {

constexpr double pi = std::numbers::pi;

void expectNear(const cmath_vect& a, const cmath_vect& b, double tolerance = 1e-9) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
}

TEST(FixedPoint, SquareRootRoundingSineAndCosine) {
  for (uint64_t r = 0; r < 65536; r += 7) {  // squares and their neighbours
    for (uint64_t v : {r * r, r * r + 2 * r, r * r + 2 * r + 1}) {
      const uint64_t root = cmath_sqrt32(static_cast<uint32_t>(std::min<uint64_t>(v, UINT32_MAX)));
      EXPECT_EQ(root, v == r * r + 2 * r + 1 ? r + 1 : r) << v;
    }
  }
  EXPECT_EQ(cmath_sqrt32(UINT32_MAX), 65535u);
  EXPECT_EQ(cmath_double_round(2.5), 3);  // halves away from zero
  EXPECT_EQ(cmath_double_round(-2.5), -3);
  EXPECT_EQ(cmath_double_floor(-0.5), -1);
  // Sine and cosine: rounded and symmetric.
  EXPECT_EQ(cmath_sin16FixedPoint(16384, 15), 32768);
  EXPECT_EQ(cmath_cos16FixedPoint(16384, 16), 0);
  EXPECT_EQ(cmath_cos16FixedPoint(32768, 16), -65536);
  for (int32_t a = 0; a < 65536; a += 97) {
    const double radians = a * pi / 32768.0;
    EXPECT_EQ(cmath_sin16FixedPoint(a, 16), std::lround(std::sin(radians) * 65536.0)) << a;
    EXPECT_EQ(cmath_cos16FixedPoint(a, 15), std::lround(std::cos(radians) * 32768.0)) << a;
    EXPECT_EQ(cmath_sin16FixedPoint(a, 16), -cmath_sin16FixedPoint(-a, 16));
    EXPECT_EQ(cmath_cos16FixedPoint(a, 16), cmath_cos16FixedPoint(-a, 16));
  }
}

TEST(Radian, NormIsInOneTurnAndDiffersByWholeTurns) {
  EXPECT_EQ(cmath_radian_norm(2 * pi), 0.0);
  EXPECT_EQ(cmath_radian_norm(-1e-300), 0.0);  // would round to a full turn
  EXPECT_DOUBLE_EQ(cmath_radian_norm(-pi / 2), 1.5 * pi);
  EXPECT_TRUE(std::isnan(cmath_radian_norm(INFINITY)));
}

TEST(XformLinear, ComposeAndInverseAgreeWithMappingInTurn) {
  const cmath_xformLinear a{{2, 1, -1, 3}, {5, -7}};
  const cmath_xformLinear b{{0, -1, 1, 0}, {1, 2}};
  cmath_xformLinear ab, inverse;
  cmath_xformLinear_initCompose(&ab, &a, &b);
  ASSERT_EQ(cmath_xformLinear_getInverse(&ab, &inverse), 0);
  const cmath_vect p{0.25, -3.5};
  cmath_vect viaB, viaBoth, direct, back;
  cmath_xformLinear_mapPoint(&b, &p, &viaB);
  cmath_xformLinear_mapPoint(&a, &viaB, &viaBoth);
  cmath_xformLinear_mapPoint(&ab, &p, &direct);
  cmath_xformLinear_mapPoint(&inverse, &direct, &back);
  expectNear(direct, viaBoth, 1e-12);
  expectNear(back, p, 1e-12);
  const cmath_xformLinear singular{{1, 2, 2, 4}, {5, -7}};
  EXPECT_EQ(cmath_xformLinear_getInverse(&singular, &inverse), CMATH_STATUS_SINGULAR);

}

TEST(Rect32AndRange, IntersectContainNullAndReversedBounds) {
  const cstd_rect32 a{0, 0, 10, 10}, b{5, -5, 10, 10}, touching{10, 0, 5, 5};
  const cstd_rect32 far{INT32_MAX - 5, 0, 10, 10};  // ends beyond the int32 range
  cstd_rect32 out;
  int32_t flag;
  cstd_rect32_intersect(&a, &b, &out);
  EXPECT_EQ((std::array{out.x, out.y, out.width, out.height}), (std::array{5, 0, 5, 5}));
  cstd_rect32_intersect(&a, &touching, &out);
  cstd_rect32_getIsNull(&out, &flag);
  EXPECT_EQ(flag, 1);
  cstd_rect32_intersect(&far, &far, &out);
  EXPECT_EQ(out.width, 10);
  cmath_range range{9, 9};
  EXPECT_EQ(cmath_range_init(&range, 1.7, 0.3), CMATH_STATUS_BAD_RANGE);
  EXPECT_EQ(range.lower, 9);
}

TEST(AffineRect, CenterFormConventionsAndRoundTrips) {
  cmath_shapeAffineRect rect, back;
  cmath_shapeAffineRectCenter c{{10, 20}, 4, 2, pi / 2, pi / 2};  // x along +y, y along -x
  ASSERT_EQ(cmath_shapeAffineRect_initCenter(&rect, &c), 0);
  expectNear(rect.po, {11, 18});
  expectNear(rect.px, {11, 22});
  expectNear(rect.py, {9, 18});

  std::mt19937 random(5);
  std::uniform_real_distribution<double> coordinate(-300, 300);
  for (int i = 0; i < 20; ++i) {
    for (cmath_vect* p : {&rect.po, &rect.px, &rect.py})
      *p = {coordinate(random), coordinate(random)};
    ASSERT_EQ(cmath_shapeAffineRect_getCenter(&rect, &c), 0);
    EXPECT_TRUE(c.xLength >= 0 && c.yLength >= 0 && c.yRotation > -pi && c.yRotation <= pi);
    ASSERT_EQ(cmath_shapeAffineRect_initCenter(&back, &c), 0);
    expectNear(back.po, rect.po);
    expectNear(back.px, rect.px);
    expectNear(back.py, rect.py);
  }
  rect = {{0, 0}, {-2, -0.0}, {0, -1}};  // half turns read as +pi
  ASSERT_EQ(cmath_shapeAffineRect_getCenter(&rect, &c), 0);
  EXPECT_TRUE(c.xRotation == pi && c.yRotation == pi);
  rect = {{0, 0}, {0, 3}, {0, 0}};  // a zero-length side reads as unskewed
  ASSERT_EQ(cmath_shapeAffineRect_getCenter(&rect, &c), 0);
  EXPECT_DOUBLE_EQ(c.yRotation, pi / 2);
}

TEST(AffineRect, EnclosingImageRectAndContainment) {
  cmath_shapeAffineRect rect{{1.2, -0.5}, {3.7, 0.5}, {1.2, 2.0}};  // fourth corner (3.7, 3.0)
  cstd_rect32 box;
  ASSERT_EQ(cmath_shapeAffineRect_getEncloseImageRect(&rect, nullptr, &box), 0);
  EXPECT_EQ((std::array{box.x, box.y, box.width, box.height}), (std::array{1, -1, 3, 4}));
  const cmath_xformLinear doubled{{2, 0, 0, 2}, {10, 0}};
  ASSERT_EQ(cmath_shapeAffineRect_getEncloseImageRect(&rect, &doubled, &box), 0);
  EXPECT_EQ((std::array{box.x, box.y, box.width, box.height}), (std::array{12, -1, 6, 7}));
  rect.px.x = 3e9;
  EXPECT_EQ(cmath_shapeAffineRect_getEncloseImageRect(&rect, nullptr, &box),
            CMATH_STATUS_OUT_OF_RANGE);
  EXPECT_EQ(box.x, 12);  // untouched

  // Containment includes the border; a degenerate rectangle contains nothing.
  const cmath_shapeAffineRect slanted{{1, 1}, {5, 3}, {0, 3}}, flat{{0, 0}, {2, 0}, {4, 0}};
  const cmath_vect points[] = {{1, 1}, {4, 5}, {2.5, 3}, {3, 2}, {5.1, 3}, {1, 4}};  // 4 in
  int32_t within = -1;
  for (int i = 0; i < 6; ++i) {
    cmath_shapeAffineRect_within(&slanted, &points[i], &within);
    EXPECT_EQ(within, i < 4) << i;
  }
  cmath_shapeAffineRect_within(&flat, &points[0], &within);
  EXPECT_EQ(within, 0);
}

TEST(ShapeLine, IntersectionParallelsAndPointAlong) {
  const cmath_shapeLine a{{2, 0}, {0, 1}};     // y = 1
  const cmath_shapeLine b{{0, -0.5}, {3, 7}};  // x = 3
  cmath_vect point;
  ASSERT_EQ(cmath_shapeLine_intersection(&a, &b, &point), 0);
  expectNear(point, {3, 1}, 1e-15);
  for (const cmath_shapeLine& other : {cmath_shapeLine{{-4, 0}, {0, 5}},    // antiparallel
                                       cmath_shapeLine{{0, 0}, {3, 3}}}) {  // no direction
    EXPECT_EQ(cmath_shapeLine_intersection(&other, &a, &point), CMATH_STATUS_PARALLEL_LINES);
  }
  ASSERT_EQ(cmath_shapeLine_pointAlong(&b, -5, &point), 0);  // along the unit direction
  expectNear(point, {3, 12}, 1e-14);
}

}  // namespace
