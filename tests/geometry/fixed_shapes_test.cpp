// Fixed-point shapes against doubles: distances, binary angles, and containment against
// the kit's test.
#include "ci_id/priv/ci_idut/geometry/fixed_shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "support/hooks.h"

namespace {

constexpr double pi = std::numbers::pi;

cmath_vect32_4 toFixed(const cmath_vect& p) {
  return {int32_t(std::lround(p.x * 16)), int32_t(std::lround(p.y * 16))};
}

cmath_shapeFixPtLine lineThrough(cmath_vect32_4 p1, cmath_vect32_4 p2) {
  const cmath_shapeFixPtLineSeg segment{p1, p2};
  cmath_shapeFixPtLine line;
  EXPECT_EQ(cmath_shapeFixPtLineSeg_getLine(&segment, &line), 0);
  return line;
}

TEST(FixPt, LineAnglesAreBinaryAngleUnitsFromP2TowardsP1) {
  const cmath_vect32_4 c{100, -50};
  const int32_t steps[8][2] = {{1, 0},  {1, 1},   {0, 1},  {-1, 1},
                               {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
  for (int k = 0; k < 8; ++k) {
    const cmath_shapeFixPtLine line =
        lineThrough(c, {c.x - 16 * steps[k][0], c.y - 16 * steps[k][1]});
    EXPECT_EQ(line.angle, k * 8192) << k;
    EXPECT_EQ(line.point.x, c.x);
  }
}

TEST(FixPt, PointLineAndSegmentDistances) {
  std::mt19937 random(4);
  std::uniform_int_distribution<int32_t> coordinate(-16000, 16000);
  int32_t distance;
  for (int i = 0; i < 300; ++i) {
    const cmath_vect32_4 p1{coordinate(random), coordinate(random)};
    const cmath_vect32_4 p2{coordinate(random), coordinate(random)};
    const cmath_vect32_4 p{coordinate(random), coordinate(random)};
    const cmath_vect32_4 far1{5 * p1.x, 5 * p1.y}, far2{5 * p2.x, 5 * p2.y};
    ASSERT_EQ(cmath_vect32_4_getDistance(&far1, &far2, &distance), 0);
    EXPECT_NEAR(distance, 5 * std::hypot(p1.x - p2.x, p1.y - p2.y), 8.0);

    const double length = std::hypot(p2.x - p1.x, p2.y - p1.y);
    if (length < 64) continue;
    const double ux = (p2.x - p1.x) / length, uy = (p2.y - p1.y) / length;
    const double along = (p.x - p1.x) * ux + (p.y - p1.y) * uy;
    const double across = std::fabs((p.x - p1.x) * uy - (p.y - p1.y) * ux);
    // A binary angle unit turns the line by 1e-4 rad.
    const double tolerance = 4 + std::hypot(p.x - p1.x, p.y - p1.y) * 1e-4;
    const cmath_shapeFixPtLine line = lineThrough(p1, p2);
    ASSERT_EQ(cmath_shapeFixPtLine_distanceFrom(&line, &p, &distance), 0);
    EXPECT_NEAR(distance, across, tolerance);
    ASSERT_EQ(cmath_shapeFixPtLine_distanceAlong(&line, &p, &distance), 0);
    EXPECT_NEAR(distance, std::fabs(along), tolerance);

    if (std::fabs(along) < 16 || std::fabs(along - length) < 16) continue;  // end by truncation
    const cmath_shapeFixPtLineSeg segment{p1, p2};
    double expected = across;
    if (along < 0) expected = std::hypot(p.x - p1.x, p.y - p1.y);
    if (along > length) expected = std::hypot(p.x - p2.x, p.y - p2.y);
    ASSERT_EQ(cmath_shapeFixPtLineSeg_distanceFrom(&segment, &p, &distance), 0);
    EXPECT_NEAR(distance, expected, tolerance + 8);
  }
}

TEST(FixPt, RangeLimitsAndCoincidentEnds) {
  const cmath_vect32_4 origin{0, 0}, farX{262140, 0}, farY{0, -65535};
  const cmath_shapeFixPtLine line{{0, 0}, 0};
  int32_t distance = 77;
  EXPECT_CHECK_FAILS(cmath_vect32_4_getDistance(&origin, &farX, &distance));
  EXPECT_CHECK_FAILS(cmath_shapeFixPtLine_distanceAlong(&line, &farY, &distance));
  // Shorter than a quarter pixel: no length in quarter pixels.
  const cmath_vect32_4 a{5, 5}, b{6, 5};
  const cmath_shapeFixPtLineSeg point{a, a}, tiny{a, b};
  EXPECT_EQ(cmath_shapeFixPtLineSeg_distanceFrom(&point, &origin, &distance),
            CIDUT_ERR_SEGMENT_POINTS_COINCIDE);
  EXPECT_EQ(distance, 77);
  EXPECT_CHECK_FAILS(cmath_shapeFixPtLineSeg_distanceFrom(&tiny, &origin, &distance));
}

TEST(FixPt, ContainmentMatchesTheKitAwayFromTheBorder) {
  std::mt19937 random(8);
  std::uniform_real_distribution<double> unitRandom(0.0, 1.0);
  int counts[2] = {0, 0};
  for (int trial = 0; trial < 100; ++trial) {
    const double rotation = 2 * pi * unitRandom(random);
    const double skew = (unitRandom(random) - 0.5) * pi / 3;
    const double yAngle = rotation + (trial % 2 ? 1.0 : -1.0) * (pi / 2 + skew);
    const double lx = 3 + 60 * unitRandom(random), ly = 3 + 60 * unitRandom(random);
    const cmath_vect po{200 * unitRandom(random) - 100, 200 * unitRandom(random) - 100};
    const cmath_vect px{po.x + lx * std::cos(rotation), po.y + lx * std::sin(rotation)};
    const cmath_vect py{po.x + ly * std::cos(yAngle), po.y + ly * std::sin(yAngle)};
    const cmath_shapeFixPtAffineRectPoints fixed{toFixed(po), toFixed(px), toFixed(py)};
    cmath_shapeAffineRect rect;
    ASSERT_EQ(cmath_shapeAffineRect_initFixPtPoints(&rect, &fixed), 0);
    const double xSide = std::hypot(rect.px.x - rect.po.x, rect.px.y - rect.po.y);
    const double ySide = std::hypot(rect.py.x - rect.po.x, rect.py.y - rect.po.y);
    for (int i = 0; i < 20; ++i) {
      const double u = unitRandom(random) * 1.6 - 0.3, v = unitRandom(random) * 1.6 - 0.3;
      // Not within a pixel of a side, where truncation decides.
      if (std::min(std::fabs(u), std::fabs(1 - u)) * xSide * std::cos(skew) < 1.0 ||
          std::min(std::fabs(v), std::fabs(1 - v)) * ySide * std::cos(skew) < 1.0)
        continue;
      const cmath_vect q{rect.po.x + u * (rect.px.x - rect.po.x) + v * (rect.py.x - rect.po.x),
                         rect.po.y + u * (rect.px.y - rect.po.y) + v * (rect.py.y - rect.po.y)};
      int32_t expected, within = -1;
      cmath_shapeAffineRect_within(&rect, &q, &expected);
      const cmath_vect32_4 point = toFixed(q);
      ASSERT_EQ(cmath_shapeFixPtAffineRectPoints_getIsWithin(&fixed, &point, &within), 0);
      EXPECT_EQ(within, expected) << trial << " u " << u << " v " << v;
      ++counts[expected];
    }
  }
  EXPECT_TRUE(counts[0] > 250 && counts[1] > 250);
}

TEST(FixPt, RectangleConversionsTruncateTowardZero) {
  cmath_shapeFixPtAffineRectPoints fixed;
  ASSERT_EQ(cmath_shapeFixPtAffineRectPoints_init(&fixed), 0);
  cmath_shapeAffineRect rect;
  ASSERT_EQ(cmath_shapeAffineRect_initFixPtPoints(&rect, &fixed), 0);
  EXPECT_EQ(rect.px.x, 1.0);
  rect.po = cmath_vect{-0.99 / 16, 2.99 / 16};
  ASSERT_EQ(cmath_shapeAffineRect_getFixPtPoints(&rect, &fixed), 0);
  EXPECT_TRUE(fixed.po.x == 0 && fixed.po.y == 2 && fixed.px.x == 16);
  rect.px.x = std::numeric_limits<double>::quiet_NaN();
  fixed.px.x = 123;
  EXPECT_EQ(cmath_shapeAffineRect_getFixPtPoints(&rect, &fixed), CMATH_STATUS_NOT_FINITE);
  EXPECT_EQ(fixed.px.x, 123);
}

}  // namespace
