// Kit shapes: affine rectangles and their centre form, corner triples, shape lines.
#include "kit/shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace {

constexpr double pi = std::numbers::pi;

void expectNear(const cmath_vect& a, const cmath_vect& b, double tolerance = 1e-9) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
}

TEST(AffineRect, InitNullPointsAndSides) {
  cmath_shapeAffineRect rect;
  int32_t flag;
  cmath_shapeAffineRect_init(&rect);
  cmath_vect points[3];
  ASSERT_EQ(cmath_shapeAffineRect_getPoints(&rect, points), 0);
  EXPECT_EQ(points[1].x, 1);
  EXPECT_EQ(points[2].y, 1);
  cmath_shapeAffineRect_getIsNull(&rect, &flag);
  EXPECT_EQ(flag, 0);
  cmath_shapeAffineRect_initNull(&rect);
  cmath_shapeAffineRect_getIsNull(&rect, &flag);
  EXPECT_EQ(flag, 1);

  const cmath_vect corners[3] = {{1, 2}, {4, 6}, {-3, 5}};
  ASSERT_EQ(cmath_shapeAffineRect_initPoints(&rect, corners), 0);
  double length;
  cmath_shapeAffineRect_getYLength(&rect, &length);
  EXPECT_DOUBLE_EQ(length, 5);
  cmath_vect unit;
  ASSERT_EQ(cmath_shapeAffineRect_getUnitPoPx(&rect, &unit), 0);
  expectNear(unit, {0.6, 0.8}, 1e-15);

  // Non-finite corners are refused on the way in and on the way out.
  const cmath_vect bad[3] = {{1, 2}, {NAN, 6}, {-3, 5}};
  EXPECT_EQ(cmath_shapeAffineRect_initPoints(&rect, bad), CMATH_STATUS_NOT_FINITE);
  EXPECT_EQ(rect.px.x, 4);  // untouched
  rect.py.y = INFINITY;
  points[0].x = 42;
  EXPECT_EQ(cmath_shapeAffineRect_getPoints(&rect, points), CMATH_STATUS_NOT_FINITE);
  EXPECT_EQ(points[0].x, 42);

  const cmath_vect dot[3] = {{1, 1}, {1, 1}, {1, 3}};
  cmath_shapeAffineRect_initPoints(&rect, dot);
  unit = {7, 7};
  EXPECT_EQ(cmath_shapeAffineRect_getUnitPoPx(&rect, &unit), CMATH_STATUS_ZERO_VECTOR);
  EXPECT_EQ(unit.x, 7);
}

TEST(AffineRect, CenterFormConventions) {
  cmath_shapeAffineRect rect;
  cmath_shapeAffineRectCenter c{{10, 20}, 4, 2, 0, 0};
  ASSERT_EQ(cmath_shapeAffineRect_initCenter(&rect, &c), 0);
  expectNear(rect.po, {8, 19});
  expectNear(rect.px, {12, 19});
  expectNear(rect.py, {8, 21});
  // A quarter turn of both axes: x along +y, y along -x.
  c = {{0, 0}, 4, 2, pi / 2, pi / 2};
  cmath_shapeAffineRect_initCenter(&rect, &c);
  expectNear(rect.po, {1, -2});
  expectNear(rect.px, {1, 2});
  expectNear(rect.py, {-1, -2});
  // A negative length is the side turned by a half turn.
  cmath_shapeAffineRect flipped;
  c = {{3, 4}, -5, 2, 0.3, 0.1};
  cmath_shapeAffineRect_initCenter(&rect, &c);
  c = {{3, 4}, 5, 2, 0.3 + pi, 0.1};
  cmath_shapeAffineRect_initCenter(&flipped, &c);
  expectNear(rect.px, flipped.px);
  expectNear(rect.py, flipped.py);

  c.xRotation = NAN;
  EXPECT_EQ(cmath_shapeAffineRect_initCenter(&rect, &c), CMATH_STATUS_NOT_FINITE);

  // Zero-length sides read as unskewed; a null rectangle is all zero.
  const cmath_vect segment[3] = {{0, 0}, {0, 3}, {0, 0}};
  cmath_shapeAffineRect_initPoints(&rect, segment);
  cmath_shapeAffineRect_getCenter(&rect, &c);
  EXPECT_DOUBLE_EQ(c.xRotation, pi / 2);
  EXPECT_DOUBLE_EQ(c.yRotation, pi / 2);
  EXPECT_EQ(c.yLength, 0);
  cmath_shapeAffineRect_initNull(&rect);
  cmath_shapeAffineRect_getCenter(&rect, &c);
  EXPECT_EQ(c.xRotation, 0);
  EXPECT_EQ(c.yRotation, 0);
  // Half turns are reported as +pi.
  const cmath_vect back[3] = {{0, 0}, {-2, -0.0}, {0, -1}};
  cmath_shapeAffineRect_initPoints(&rect, back);
  cmath_shapeAffineRect_getCenter(&rect, &c);
  EXPECT_EQ(c.xRotation, pi);
  EXPECT_EQ(c.yRotation, pi);
}

TEST(AffineRect, CenterFormRoundTrips) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> coordinate(-300, 300);
  for (int i = 0; i < 500; ++i) {
    // Any three corners, skewed and left- or right-handed.
    const cmath_vect corners[3] = {{coordinate(random), coordinate(random)},
                                   {coordinate(random), coordinate(random)},
                                   {coordinate(random), coordinate(random)}};
    cmath_shapeAffineRect rect, back;
    cmath_shapeAffineRect_initPoints(&rect, corners);
    cmath_shapeAffineRectCenter c;
    ASSERT_EQ(cmath_shapeAffineRect_getCenter(&rect, &c), 0);
    EXPECT_GE(c.xLength, 0);
    EXPECT_GT(c.yRotation, -pi);
    EXPECT_LE(c.yRotation, pi);
    ASSERT_EQ(cmath_shapeAffineRect_initCenter(&back, &c), 0);
    expectNear(back.po, rect.po);
    expectNear(back.px, rect.px);
    expectNear(back.py, rect.py);
    expectNear(c.center, {(corners[1].x + corners[2].x) / 2, (corners[1].y + corners[2].y) / 2});
  }
}

TEST(AffineRect, EnclosingImageRectAndDegeneracy) {
  cmath_shapeAffineRect rect;
  const cmath_vect corners[3] = {{1.2, -0.5}, {3.7, 0.5}, {1.2, 2.0}};  // Popp (3.7, 3.0)
  cmath_shapeAffineRect_initPoints(&rect, corners);
  cstd_rect32 box;
  ASSERT_EQ(cmath_shapeAffineRect_getEncloseImageRect(&rect, nullptr, &box), 0);
  EXPECT_EQ(box.x, 1);
  EXPECT_EQ(box.y, -1);
  EXPECT_EQ(box.width, 3);
  EXPECT_EQ(box.height, 4);
  const cmath_xformLinear doubled{{2, 0, 0, 2}, {10, 0}};
  ASSERT_EQ(cmath_shapeAffineRect_getEncloseImageRect(&rect, &doubled, &box), 0);
  EXPECT_EQ(box.x, 12);     // 2.4 + 10
  EXPECT_EQ(box.width, 6);  // 18 - 12
  EXPECT_EQ(box.y, -1);
  EXPECT_EQ(box.height, 7);

  const cmath_vect far[3] = {{0, 0}, {3e9, 0}, {0, 1}};
  cmath_shapeAffineRect_initPoints(&rect, far);
  box.x = 99;
  EXPECT_EQ(cmath_shapeAffineRect_getEncloseImageRect(&rect, nullptr, &box),
            CMATH_STATUS_OUT_OF_RANGE);
  EXPECT_EQ(box.x, 99);
  rect.px.y = NAN;
  EXPECT_EQ(cmath_shapeAffineRect_getEncloseImageRect(&rect, nullptr, &box),
            CMATH_STATUS_NOT_FINITE);

  int32_t degenerate;
  const cmath_vect slim[3] = {{0, 0}, {100, 0}, {100, 1e-6}};  // a very sharp corner
  cmath_shapeAffineRect_initPoints(&rect, slim);
  cmath_shapeAffineRect_getIsDegenerate(&rect, &degenerate);
  EXPECT_EQ(degenerate, 0);
  const cmath_vect collinear[3] = {{1, 1}, {3, 2}, {-3, -1}};
  cmath_shapeAffineRect_initPoints(&rect, collinear);
  cmath_shapeAffineRect_getIsDegenerate(&rect, &degenerate);
  EXPECT_EQ(degenerate, 1);
  cmath_shapeAffineRect_initNull(&rect);
  cmath_shapeAffineRect_getIsDegenerate(&rect, &degenerate);
  EXPECT_EQ(degenerate, 1);
}

TEST(AffineRectPoints, CompletingCorner) {
  cmath_shapeAffineRectPoints points;
  const cmath_vect p0{1, 1}, p1{4, 2}, p2{0, 5};
  cmath_shapeAffineRectPoints_init(&points, &p0, &p1, &p2);
  cmath_vect popp;
  cmath_shapeAffineRectPoints_getPopp(&points, &popp);
  EXPECT_EQ(popp.x, 3);
  EXPECT_EQ(popp.y, 6);
}

TEST(ShapeLine, IntersectionAndParallels) {
  const cmath_shapeLine a{{2, 0}, {0, 1}};     // y = 1
  const cmath_shapeLine b{{0, -0.5}, {3, 7}};  // x = 3
  cmath_vect point;
  ASSERT_EQ(cmath_shapeLine_intersection(&a, &b, &point), 0);
  expectNear(point, {3, 1}, 1e-15);
  const cmath_shapeLine slanted{{1, 1e-9}, {0, 0}};  // barely not parallel to a
  ASSERT_EQ(cmath_shapeLine_intersection(&a, &slanted, &point), 0);
  EXPECT_NEAR(point.x, 1e9, 1);

  point = {9, 9};
  for (const cmath_shapeLine& other : {cmath_shapeLine{{-4, 0}, {0, 5}},    // antiparallel
                                       cmath_shapeLine{{1, 0}, {7, 1}},     // coincident
                                       cmath_shapeLine{{0, 0}, {3, 3}}}) {  // no direction
    EXPECT_EQ(cmath_shapeLine_intersection(&a, &other, &point), CMATH_STATUS_PARALLEL_LINES);
    EXPECT_EQ(cmath_shapeLine_intersection(&other, &a, &point), CMATH_STATUS_PARALLEL_LINES);
  }
  EXPECT_EQ(point.x, 9);
}

TEST(ShapeLine, PointAlongUsesTheUnitDirection) {
  const cmath_shapeLine line{{3, 4}, {1, 1}};
  cmath_vect point;
  ASSERT_EQ(cmath_shapeLine_pointAlong(&line, 10, &point), 0);
  expectNear(point, {7, 9}, 1e-14);
  cmath_shapeLine_pointAlong(&line, -5, &point);
  expectNear(point, {-2, -3}, 1e-14);
  const cmath_shapeLine none{{0, 0}, {1, 1}};
  EXPECT_EQ(cmath_shapeLine_pointAlong(&none, 1, &point), CMATH_STATUS_ZERO_VECTOR);
}

}  // namespace
