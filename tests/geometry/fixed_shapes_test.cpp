// Fixed-point shapes: distances, binary angles, containment and conversions.
#include "ci_id/priv/ci_idut/geometry/fixed_shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/hooks.h"

namespace {

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
  // A 3-4-5 line from the origin; 100 along and 50 across it, and 30 across beyond its end.
  const cmath_vect32_4 p1{0, 0}, p2{128, 96}, beside{50, 100}, beyond{142, 144};
  int32_t distance;
  ASSERT_EQ(cmath_vect32_4_getDistance(&p1, &p2, &distance), 0);
  EXPECT_NEAR(distance, 160, 4);
  const cmath_shapeFixPtLine line = lineThrough(p1, p2);
  ASSERT_EQ(cmath_shapeFixPtLine_distanceFrom(&line, &beside, &distance), 0);
  EXPECT_NEAR(distance, 50, 4);
  ASSERT_EQ(cmath_shapeFixPtLine_distanceAlong(&line, &beside, &distance), 0);
  EXPECT_NEAR(distance, 100, 4);
  const cmath_shapeFixPtLineSeg segment{p1, p2};
  ASSERT_EQ(cmath_shapeFixPtLineSeg_distanceFrom(&segment, &beside, &distance), 0);
  EXPECT_NEAR(distance, 50, 4);
  ASSERT_EQ(cmath_shapeFixPtLineSeg_distanceFrom(&segment, &beyond, &distance), 0);
  EXPECT_NEAR(distance, 50, 12);  // from p2: hypot(40, 30)
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

TEST(FixPt, ContainmentOfASkewedRectangle) {
  const cmath_shapeFixPtAffineRectPoints fixed{{0, 0}, {160, 32}, {-16, 96}};
  auto within = [&](cmath_vect32_4 p) {
    int32_t flag = -1;
    EXPECT_EQ(cmath_shapeFixPtAffineRectPoints_getIsWithin(&fixed, &p, &flag), 0);
    return flag;
  };
  EXPECT_EQ(within({72, 64}), 1);
  EXPECT_EQ(within({200, 64}), 0);   // beyond the far side
  EXPECT_EQ(within({-24, 40}), 0);   // left of the slanted y side
  EXPECT_EQ(within({80, 120}), 0);   // above the top
}

TEST(FixPt, RectangleConversionsTruncateTowardZero) {
  cmath_shapeFixPtAffineRectPoints fixed{{0, 0}, {160, 32}, {-16, 96}};
  cmath_shapeAffineRect rect;
  ASSERT_EQ(cmath_shapeAffineRect_initFixPtPoints(&rect, &fixed), 0);
  EXPECT_TRUE(rect.px.x == 10 && rect.py.y == 6);
  rect.po = cmath_vect{-0.99 / 16, 2.99 / 16};
  ASSERT_EQ(cmath_shapeAffineRect_getFixPtPoints(&rect, &fixed), 0);
  EXPECT_TRUE(fixed.po.x == 0 && fixed.po.y == 2 && fixed.px.x == 160);
  rect.px.x = std::numeric_limits<double>::quiet_NaN();
  fixed.px.x = 123;
  EXPECT_EQ(cmath_shapeAffineRect_getFixPtPoints(&rect, &fixed), CMATH_STATUS_NOT_FINITE);
  EXPECT_EQ(fixed.px.x, 123);
}

}  // namespace
