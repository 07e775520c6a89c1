// Lines and segments: constructors, failures, projections and intersections.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "ci_id/priv/ci_idut/geometry.h"
#include "support/hooks.h"

namespace {

constexpr double pi = std::numbers::pi;

double distanceOf(const cidut_line& line, const cmath_vect& p) {
  double distance;
  EXPECT_EQ(cidut_line_getDistToPoint(&line, &p, &distance), 0);
  return distance;
}

TEST(Line, ConstructorsNormaliseOrFailToZero) {
  cidut_line line{{42, 42}, {1, 0}};
  const cmath_vect origin{0, 0}, tiny{0, 0.000009}, d{3, 4};
  EXPECT_EQ(cidut_line_initDirPos(&line, &tiny, &d), CIDUT_ERR_BAD_DIRECTION);
  EXPECT_TRUE(line.pos.x == 0 && line.pos.y == 0 && line.dir.x == 0 && line.dir.y == 0);
  ASSERT_EQ(cidut_line_initDirPos(&line, &d, &origin), 0);
  EXPECT_TRUE(line.dir.x == 0.6 && line.dir.y == 0.8);
  EXPECT_EQ(cidut_line_initAngDis(&line, 0, -1), CIDUT_ERR_BAD_DIRECTION);
  EXPECT_TRUE(line.dir.x == 0 && line.dir.y == 0);
  ASSERT_EQ(cidut_line_initAngDis(&line, pi / 2, 5), 0);
  EXPECT_DOUBLE_EQ(line.pos.x, -5);
  for (double angle : {-3.1, 2.2}) {
    ASSERT_EQ(cidut_line_initAngDis(&line, angle, 7.5), 0);
    EXPECT_NEAR(distanceOf(line, origin), 7.5, 1e-9) << angle;
  }
}

TEST(Segment, SignParallelDegenerateAndArgumentChecks) {
  cidut_lineSeg s, t, parallel, dot;
  const cmath_vect a{0, 0}, b{1, 0}, c{5, -1}, d{5, 1}, e{0, 3}, f{7, 3};
  cidut_lineSeg_initP1P2(&s, &a, &b);
  cidut_lineSeg_initP1P2(&t, &c, &d);
  double angle, distance;
  cidut_lineSeg_getAngle(&t, &angle);
  EXPECT_DOUBLE_EQ(angle, pi / 2);
  cidut_lineSeg_getDistToPoint(&t, &a, &distance);
  EXPECT_DOUBLE_EQ(distance, -5);  // opposite the normal (1, 0)
  cmath_vect meet, foot;
  ASSERT_EQ(cidut_lineSeg_getIntersection(&s, &t, &meet), 0);  // beyond s: lines, not segments
  EXPECT_TRUE(meet.x == 5 && meet.y == 0);
  cidut_line tLine;
  cidut_lineSeg_getLine(&t, &tLine);
  cidut_line_projectPoint(&tLine, &e, &foot);
  EXPECT_TRUE(foot.x == 5 && foot.y == 3);

  cidut_lineSeg_initP1P2(&parallel, &f, &e);
  cidut_line sLine, parallelLine;
  cidut_lineSeg_getLine(&s, &sLine);
  cidut_lineSeg_getLine(&parallel, &parallelLine);
  cmath_vect point{9, 9};
  EXPECT_EQ(cidut_lineSeg_getIntersection(&s, &parallel, &point), CIDUT_ERR_PARALLEL);
  EXPECT_EQ(cidut_line_getIntersection(&sLine, &parallelLine, &point), CIDUT_ERR_PARALLEL);
  EXPECT_EQ(point.x, 9);
  cidut_lineSeg_initP1P2(&dot, &c, &c);
  EXPECT_EQ(cidut_lineSeg_getLine(&dot, &sLine), CIDUT_ERR_DEGENERATE_SEGMENT);

  EXPECT_CHECK_FAILS(cidut_line_getIntersection(&sLine, &sLine, nullptr));
}

}  // namespace
