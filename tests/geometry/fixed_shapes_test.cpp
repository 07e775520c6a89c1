// Fixed-point shapes against the same geometry in doubles: distances to within the
// quarter-pixel truncations, line angles in binary angle units, and containment in
// rotated, skewed and mirrored rectangles against the kit's test in pixels.
#include "ci_id/priv/ci_idut/geometry/fixed_shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "support/hooks.h"

namespace {

constexpr double pi = std::numbers::pi;

cmath_shapeFixPtLine lineThrough(cmath_vect32_4 p1, cmath_vect32_4 p2) {
  const cmath_shapeFixPtLineSeg segment{p1, p2};
  cmath_shapeFixPtLine line;
  EXPECT_EQ(cmath_shapeFixPtLineSeg_getLine(&segment, &line), 0);
  return line;
}

TEST(FixPt, PointDistance) {
  const cmath_vect32_4 origin{0, 0}, p{48, 64};
  int32_t distance = -1;
  ASSERT_EQ(cmath_vect32_4_getDistance(&origin, &p, &distance), 0);
  EXPECT_EQ(distance, 80);
  std::mt19937 random(1);
  std::uniform_int_distribution<int32_t> coordinate(-90000, 90000);  // distances below 16384 px
  for (int i = 0; i < 200; ++i) {
    const cmath_vect32_4 a{coordinate(random), coordinate(random)};
    const cmath_vect32_4 b{coordinate(random), coordinate(random)};
    ASSERT_EQ(cmath_vect32_4_getDistance(&a, &b, &distance), 0);
    EXPECT_NEAR(distance, std::hypot(a.x - b.x, a.y - b.y), 8.0);
  }
  const cmath_vect32_4 farX{262140, 0}, nearX{262139, -262139};
  EXPECT_CHECK_FAILS(cmath_vect32_4_getDistance(&farX, &origin, &distance));
  EXPECT_CHECK_FAILS(cmath_vect32_4_getDistance(&origin, &farX, &distance));
  EXPECT_EQ(cmath_vect32_4_getDistance(&nearX, &origin, &distance), 0);
  EXPECT_CHECK_FAILS(cmath_vect32_4_getDistance(&origin, &p, nullptr));
}

TEST(FixPt, LineAnglesAreBinaryAngleUnitsFromP2TowardsP1) {
  const cmath_vect32_4 c{100, -50};
  EXPECT_EQ(lineThrough(c, {84, -50}).angle, 0);
  EXPECT_EQ(lineThrough(c, {84, -66}).angle, 8192);
  EXPECT_EQ(lineThrough(c, {100, -66}).angle, 16384);
  EXPECT_EQ(lineThrough(c, {116, -50}).angle, 32768);
  EXPECT_EQ(lineThrough(c, {100, -34}).angle, 49152);
  const cmath_shapeFixPtLine line = lineThrough(c, {0, 0});
  EXPECT_EQ(line.point.x, 100);
  EXPECT_EQ(line.point.y, -50);
}

TEST(FixPt, LineAndSegmentDistances) {
  std::mt19937 random(4);
  std::uniform_int_distribution<int32_t> coordinate(-16000, 16000);
  for (int i = 0; i < 300; ++i) {
    const cmath_vect32_4 p1{coordinate(random), coordinate(random)};
    const cmath_vect32_4 p2{coordinate(random), coordinate(random)};
    const cmath_vect32_4 p{coordinate(random), coordinate(random)};
    const double length = std::hypot(p2.x - p1.x, p2.y - p1.y);
    if (length < 64) continue;
    const double ux = (p2.x - p1.x) / length, uy = (p2.y - p1.y) / length;
    const double along = (p.x - p1.x) * ux + (p.y - p1.y) * uy;
    const double across = std::fabs((p.x - p1.x) * uy - (p.y - p1.y) * ux);
    // One binary angle unit turns the line by 1e-4 rad: a few units at these distances.
    const double tolerance = 4 + std::hypot(p.x - p1.x, p.y - p1.y) * 1e-4;
    const cmath_shapeFixPtLine line = lineThrough(p1, p2);
    int32_t distance;
    ASSERT_EQ(cmath_shapeFixPtLine_distanceFrom(&line, &p, &distance), 0);
    EXPECT_NEAR(distance, across, tolerance);
    ASSERT_EQ(cmath_shapeFixPtLine_distanceAlong(&line, &p, &distance), 0);
    EXPECT_NEAR(distance, std::fabs(along), tolerance);

    const cmath_shapeFixPtLineSeg segment{p1, p2};
    double expected = across;
    if (along < 0) expected = std::hypot(p.x - p1.x, p.y - p1.y);
    if (along > length) expected = std::hypot(p.x - p2.x, p.y - p2.y);
    if (std::fabs(along) < 16 || std::fabs(along - length) < 16)
      continue;  // end decided by truncation
    ASSERT_EQ(cmath_shapeFixPtLineSeg_distanceFrom(&segment, &p, &distance), 0);
    EXPECT_NEAR(distance, expected, tolerance + 8);
  }
  const cmath_vect32_4 a{5, 5}, b{6, 5}, p{0, 0};
  int32_t distance = 77;
  const cmath_shapeFixPtLineSeg point{a, a}, tiny{a, b};
  EXPECT_EQ(cmath_shapeFixPtLineSeg_distanceFrom(&point, &p, &distance),
            CIDUT_ERR_SEGMENT_POINTS_COINCIDE);
  EXPECT_EQ(distance, 77);
  EXPECT_CHECK_FAILS(cmath_shapeFixPtLineSeg_distanceFrom(&tiny, &p, &distance));
  const cmath_shapeFixPtLine line{{0, 0}, 0};
  const cmath_vect32_4 far{65535, 0}, farY{0, -65535};
  EXPECT_CHECK_FAILS(cmath_shapeFixPtLine_distanceFrom(&line, &far, &distance));
  EXPECT_CHECK_FAILS(cmath_shapeFixPtLine_distanceAlong(&line, &farY, &distance));
}

TEST(FixPt, ContainmentMatchesTheKitAwayFromTheBorder) {
  cmath_shapeFixPtAffineRectPoints unit;
  ASSERT_EQ(cmath_shapeFixPtAffineRectPoints_init(&unit), 0);
  int32_t within = -1;
  const cmath_vect32_4 centre{8, 8}, outside{60, 8};
  ASSERT_EQ(cmath_shapeFixPtAffineRectPoints_getIsWithin(&unit, &centre, &within), 0);
  EXPECT_EQ(within, 1);
  ASSERT_EQ(cmath_shapeFixPtAffineRectPoints_getIsWithin(&unit, &outside, &within), 0);
  EXPECT_EQ(within, 0);

  std::mt19937 random(8);
  std::uniform_real_distribution<double> unitRandom(0.0, 1.0);
  int insideCount = 0, outsideCount = 0;
  for (int trial = 0; trial < 200; ++trial) {
    // Rotation in every direction, up to 30 degrees of skew, mirrored half of the time.
    const double rotation = 2 * pi * unitRandom(random);
    const double skew = (unitRandom(random) - 0.5) * pi / 3;
    const double side = trial % 2 ? 1.0 : -1.0;
    const double lx = 3 + 60 * unitRandom(random), ly = 3 + 60 * unitRandom(random);
    const cmath_vect po{200 * unitRandom(random) - 100, 200 * unitRandom(random) - 100};
    const cmath_vect px{po.x + lx * std::cos(rotation), po.y + lx * std::sin(rotation)};
    const double yAngle = rotation + side * (pi / 2 + skew);
    const cmath_vect py{po.x + ly * std::cos(yAngle), po.y + ly * std::sin(yAngle)};
    const cmath_shapeFixPtAffineRectPoints fixed{
        {int32_t(std::lround(po.x * 16)), int32_t(std::lround(po.y * 16))},
        {int32_t(std::lround(px.x * 16)), int32_t(std::lround(px.y * 16))},
        {int32_t(std::lround(py.x * 16)), int32_t(std::lround(py.y * 16))}};
    cmath_shapeAffineRect rect;
    ASSERT_EQ(cmath_shapeAffineRect_initFixPtPoints(&rect, &fixed), 0);
    for (int i = 0; i < 20; ++i) {
      const double u = unitRandom(random) * 1.6 - 0.3, v = unitRandom(random) * 1.6 - 0.3;
      const cmath_vect q{rect.po.x + u * (rect.px.x - rect.po.x) + v * (rect.py.x - rect.po.x),
                         rect.po.y + u * (rect.px.y - rect.po.y) + v * (rect.py.y - rect.po.y)};
      // Skip points within a pixel of a side's line, where truncation decides.
      const double xSide = std::hypot(rect.px.x - rect.po.x, rect.px.y - rect.po.y);
      const double ySide = std::hypot(rect.py.x - rect.po.x, rect.py.y - rect.po.y);
      const double sine = std::cos(skew);
      if (std::min(std::fabs(u), std::fabs(1 - u)) * xSide * sine < 1.0 ||
          std::min(std::fabs(v), std::fabs(1 - v)) * ySide * sine < 1.0)
        continue;
      int32_t expected;
      cmath_shapeAffineRect_within(&rect, &q, &expected);
      const cmath_vect32_4 point{int32_t(std::lround(q.x * 16)), int32_t(std::lround(q.y * 16))};
      ASSERT_EQ(cmath_shapeFixPtAffineRectPoints_getIsWithin(&fixed, &point, &within), 0);
      EXPECT_EQ(within, expected) << trial << " u " << u << " v " << v;
      (expected ? insideCount : outsideCount) += 1;
    }
  }
  EXPECT_GT(insideCount, 500);
  EXPECT_GT(outsideCount, 500);
  EXPECT_CHECK_FAILS(cmath_shapeFixPtAffineRectPoints_getIsWithin(&unit, &centre, nullptr));
}

TEST(FixPt, RectangleConversions) {
  const cmath_shapeFixPtAffineRectPoints fixed{{-24, 8}, {40, 8}, {-24, 1600}};
  cmath_shapeAffineRect rect;
  ASSERT_EQ(cmath_shapeAffineRect_initFixPtPoints(&rect, &fixed), 0);
  EXPECT_EQ(rect.po.x, -1.5);
  EXPECT_EQ(rect.py.y, 100.0);
  cmath_shapeFixPtAffineRectPoints back;
  ASSERT_EQ(cmath_shapeAffineRect_getFixPtPoints(&rect, &back), 0);
  EXPECT_EQ(back.po.x, -24);
  EXPECT_EQ(back.px.x, 40);
  EXPECT_EQ(back.py.y, 1600);
  // To fixed point truncates toward zero.
  rect.po = cmath_vect{-0.99 / 16, 2.99 / 16};
  ASSERT_EQ(cmath_shapeAffineRect_getFixPtPoints(&rect, &back), 0);
  EXPECT_EQ(back.po.x, 0);
  EXPECT_EQ(back.po.y, 2);
  // A failing kit call is passed on and leaves the output alone.
  rect.px.x = std::numeric_limits<double>::quiet_NaN();
  back.px.x = 123;
  EXPECT_EQ(cmath_shapeAffineRect_getFixPtPoints(&rect, &back), CMATH_STATUS_NOT_FINITE);
  EXPECT_EQ(back.px.x, 123);
  EXPECT_CHECK_FAILS(cmath_shapeAffineRect_getFixPtPoints(&rect, nullptr));
  EXPECT_CHECK_FAILS(cmath_shapeAffineRect_initFixPtPoints(nullptr, &fixed));
  EXPECT_CHECK_FAILS(cmath_shapeFixPtAffineRectPoints_init(nullptr));
}

}  // namespace
