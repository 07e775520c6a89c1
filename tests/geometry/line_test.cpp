// Lines and segments: constructors, failures that leave records as promised, and round
// trips (projections lie on the line, intersections on both lines).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "ci_id/priv/ci_idut/geometry.h"
#include "support/hooks.h"

namespace {

constexpr double pi = std::numbers::pi;

bool isZero(const cidut_line& line) {
  return line.pos.x == 0 && line.pos.y == 0 && line.dir.x == 0 && line.dir.y == 0;
}

TEST(Line, ConstructorsNormaliseOrFailToZero) {
  cidut_line line;
  const cmath_vect origin{0, 0};
  cmath_vect tiny{0, 0.000009};
  line.pos.x = 42;
  EXPECT_EQ(cidut_line_initDirPos(&line, &tiny, &origin), CIDUT_ERR_BAD_DIRECTION);
  EXPECT_TRUE(isZero(line));
  const cmath_vect d{3, 4};
  const cmath_vect p{1, 2};
  ASSERT_EQ(cidut_line_initDirPos(&line, &d, &p), 0);
  EXPECT_DOUBLE_EQ(line.dir.x, 0.6);
  EXPECT_DOUBLE_EQ(line.dir.y, 0.8);
  EXPECT_EQ(line.pos.x, 1);

  ASSERT_EQ(cidut_line_initAngPos(&line, pi / 3, &p), 0);
  EXPECT_DOUBLE_EQ(line.dir.x, std::cos(pi / 3));
  EXPECT_EQ(line.pos.y, 2);

  ASSERT_EQ(cidut_line_initAngDis(&line, pi / 2, 5), 0);
  EXPECT_NEAR(line.dir.x, 0, 1e-15);
  EXPECT_DOUBLE_EQ(line.dir.y, 1);
  EXPECT_DOUBLE_EQ(line.pos.x, -5);
  ASSERT_EQ(cidut_line_initAngDis(&line, 0, 5), 0);
  EXPECT_DOUBLE_EQ(line.pos.y, 5);
  EXPECT_EQ(cidut_line_initAngDis(&line, 0, -1), CIDUT_ERR_BAD_DIRECTION);
  EXPECT_TRUE(isZero(line));
  ASSERT_EQ(cidut_line_initAngDis(&line, 1.0, 0), 0);  // distance 0 is accepted
}

TEST(Line, OriginLiesAtTheGivenDistanceForEveryAngle) {
  for (double angle = -3.1; angle < 3.2; angle += 0.05) {
    cidut_line line;
    ASSERT_EQ(cidut_line_initAngDis(&line, angle, 7.5), 0);
    const cmath_vect origin{0, 0};
    double distance;
    cidut_line_getDistToPoint(&line, &origin, &distance);
    EXPECT_NEAR(distance, 7.5, 1e-9) << angle;
  }
}

TEST(Line, SignedDistanceIntersectionAndProjection) {
  cidut_line xAxis, yLine;
  const cmath_vect origin{0, 0}, east{1, 0}, west{-1, 0}, north{0, 1}, at23{2, 3};
  cidut_line_initDirPos(&xAxis, &east, &origin);
  double distance;
  const cmath_vect below{0, 1}, above{0, -1};
  cidut_line_getDistToPoint(&xAxis, &below, &distance);
  EXPECT_EQ(distance, -1);
  cidut_line_getDistToPoint(&xAxis, &above, &distance);
  EXPECT_EQ(distance, 1);

  cidut_line_initDirPos(&yLine, &north, &at23);
  cmath_vect point{9, 9};
  ASSERT_EQ(cidut_line_getIntersection(&xAxis, &yLine, &point), 0);
  EXPECT_EQ(point.x, 2);
  EXPECT_EQ(point.y, 0);

  cidut_line backwards;
  cidut_line_initDirPos(&backwards, &west, &at23);
  point = cmath_vect{9, 9};
  EXPECT_EQ(cidut_line_getIntersection(&xAxis, &backwards, &point), CIDUT_ERR_PARALLEL);
  EXPECT_EQ(point.x, 9);  // untouched
}

TEST(Line, RandomRoundTrips) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> coordinate(-500, 500), angle(-pi, pi);
  for (int i = 0; i < 1000; ++i) {
    cidut_line a, b;
    const cmath_vect pa{coordinate(random), coordinate(random)};
    const cmath_vect pb{coordinate(random), coordinate(random)};
    cidut_line_initAngPos(&a, angle(random), &pa);
    cidut_line_initAngPos(&b, angle(random), &pb);
    const cmath_vect q{coordinate(random), coordinate(random)};
    cmath_vect foot;
    double distance;
    cidut_line_projectPoint(&a, &q, &foot);
    cidut_line_getDistToPoint(&a, &foot, &distance);
    EXPECT_NEAR(distance, 0, 1e-9);

    cmath_vect meet;
    if (cidut_line_getIntersection(&a, &b, &meet) != 0) continue;
    const double scale = 1 + std::hypot(meet.x, meet.y);
    cidut_line_getDistToPoint(&a, &meet, &distance);
    EXPECT_NEAR(distance / scale, 0, 1e-9);
    cidut_line_getDistToPoint(&b, &meet, &distance);
    EXPECT_NEAR(distance / scale, 0, 1e-9);

    // The segments along the two lines meet at the same point.
    cidut_lineSeg sa, sb;
    const cmath_vect pa2{pa.x + 3 * a.dir.x, pa.y + 3 * a.dir.y};
    const cmath_vect pb2{pb.x - 2 * b.dir.x, pb.y - 2 * b.dir.y};
    cidut_lineSeg_initP1P2(&sa, &pa, &pa2);
    cidut_lineSeg_initP1P2(&sb, &pb, &pb2);
    cmath_vect segmentMeet;
    if (cidut_lineSeg_getIntersection(&sa, &sb, &segmentMeet) != 0) continue;
    EXPECT_NEAR(segmentMeet.x, meet.x, 1e-6 * scale);
    EXPECT_NEAR(segmentMeet.y, meet.y, 1e-6 * scale);
  }
}

TEST(Segment, LineAngleDistanceAndIntersection) {
  cidut_lineSeg s, t;
  const cmath_vect a{0, 0}, b{1, 0}, c{5, -1}, d{5, 1};
  cidut_lineSeg_initP1P2(&s, &a, &b);
  cidut_lineSeg_initP1P2(&t, &c, &d);
  cmath_vect point;
  ASSERT_EQ(cidut_lineSeg_getIntersection(&s, &t, &point), 0);
  EXPECT_DOUBLE_EQ(point.x, 5);  // beyond the end of the first segment
  EXPECT_DOUBLE_EQ(point.y, 0);
  double angle;
  cidut_lineSeg_getAngle(&t, &angle);
  EXPECT_DOUBLE_EQ(angle, pi / 2);
  double distance;
  cidut_lineSeg_getDistToPoint(&t, &a, &distance);
  EXPECT_DOUBLE_EQ(distance, -5);  // opposite the normal (1, 0)

  cidut_lineSeg parallel;
  const cmath_vect e{0, 3}, f{7, 3};
  cidut_lineSeg_initP1P2(&parallel, &e, &f);
  point = cmath_vect{9, 9};
  EXPECT_EQ(cidut_lineSeg_getIntersection(&s, &parallel, &point), CIDUT_ERR_PARALLEL);
  EXPECT_EQ(point.x, 9);

  cidut_lineSeg dot;
  cidut_lineSeg_initP1P2(&dot, &c, &c);
  cidut_line line{};
  EXPECT_EQ(cidut_lineSeg_getLine(&dot, &line), CIDUT_ERR_DEGENERATE_SEGMENT);
  EXPECT_EQ(cidut_lineSeg_getAngle(&dot, &angle), CIDUT_ERR_DEGENERATE_SEGMENT);
  EXPECT_EQ(cidut_lineSeg_getDistToPoint(&dot, &a, &distance), CIDUT_ERR_DEGENERATE_SEGMENT);
}

TEST(Line, ArgumentChecks) {
  cidut_line line{};
  cidut_lineSeg segment{};
  cmath_vect p{};
  double value;
  int32_t flag;
  EXPECT_CHECK_FAILS(cidut_line_initAngPos(nullptr, 0, &p));
  EXPECT_CHECK_FAILS(cidut_line_initAngPos(&line, 0, nullptr));
  EXPECT_CHECK_FAILS(cidut_line_initDirPos(&line, nullptr, &p));
  EXPECT_CHECK_FAILS(cidut_line_initDirPos(&line, &p, nullptr));
  EXPECT_CHECK_FAILS(cidut_line_initDirPos(nullptr, &p, &p));
  EXPECT_CHECK_FAILS(cidut_line_initAngDis(nullptr, 0, 1));
  EXPECT_CHECK_FAILS(cidut_line_getIntersection(nullptr, &line, &p));
  EXPECT_CHECK_FAILS(cidut_line_getIntersection(&line, nullptr, &p));
  EXPECT_CHECK_FAILS(cidut_line_getIntersection(&line, &line, nullptr));
  EXPECT_CHECK_FAILS(cidut_line_projectPoint(nullptr, &p, &p));
  EXPECT_CHECK_FAILS(cidut_line_projectPoint(&line, nullptr, &p));
  EXPECT_CHECK_FAILS(cidut_line_projectPoint(&line, &p, nullptr));
  EXPECT_CHECK_FAILS(cidut_line_getDistToPoint(nullptr, &p, &value));
  EXPECT_CHECK_FAILS(cidut_line_getDistToPoint(&line, nullptr, &value));
  EXPECT_CHECK_FAILS(cidut_line_getDistToPoint(&line, &p, nullptr));
  EXPECT_CHECK_FAILS(cidut_lineSeg_initP1P2(nullptr, &p, &p));
  EXPECT_CHECK_FAILS(cidut_lineSeg_initP1P2(&segment, nullptr, &p));
  EXPECT_CHECK_FAILS(cidut_lineSeg_initP1P2(&segment, &p, nullptr));
  EXPECT_CHECK_FAILS(cidut_lineSeg_getLine(nullptr, &line));
  EXPECT_CHECK_FAILS(cidut_lineSeg_getLine(&segment, nullptr));
  EXPECT_CHECK_FAILS(cidut_lineSeg_getAngle(nullptr, &value));
  EXPECT_CHECK_FAILS(cidut_lineSeg_getDistToPoint(nullptr, &p, &value));  // via getLine
  EXPECT_CHECK_FAILS(cidut_lineSeg_getIntersection(nullptr, &segment, &p));
  EXPECT_CHECK_FAILS(cidut_lineSeg_getIntersection(&segment, nullptr, &p));
  EXPECT_CHECK_FAILS(cidut_lineSeg_getIntersection(&segment, &segment, nullptr));

  const cmath_shapeAffineRect square{{0, 0}, {2, 0}, {0, 2}};
  const cmath_vect inside{1, 1};
  EXPECT_EQ(cf_affineRect_within(&square, &inside, &flag), 0);
  EXPECT_EQ(flag, 1);
}

}  // namespace
