// Kit transforms: rotation-scale matrices, perspective transforms from four point pairs
// (checked against the defining correspondences and against collinearity), inverses,
// the horizon, and the general transform over both kinds.
#include "kit/xform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace {

void expectNear(const cmath_vect& a, const cmath_vect& b, double tolerance) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
}

cmath_vect map(const cmath_xformPerspective& h, const cmath_vect& p) {
  cmath_vect out{NAN, NAN};
  EXPECT_EQ(cmath_xformPerspective_mapPoint(&h, &p, &out), 0);
  return out;
}

TEST(Matrix, RotationScaleAndMap) {
  cmath_matrix m;
  cmath_matrix_initRotationScale(&m, std::numbers::pi / 2, 2);
  cmath_vect p{1, 0};
  cmath_matrix_mapPoint(&m, &p, &p);
  expectNear(p, {0, 2}, 1e-15);
  cmath_matrix_initRotationScale(&m, 0.7, 1.5);
  double det;
  cmath_matrix_getDeterminant(&m, &det);
  EXPECT_DOUBLE_EQ(det, 2.25);
}

TEST(Perspective, FourPairsAreMappedExactly) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> jitter(-40, 40);
  for (int i = 0; i < 200; ++i) {
    // A rectangle seen in perspective: a quadrilateral near (100..500, 80..380).
    const cmath_vect source[4] = {{0, 0}, {400, 0}, {400, 300}, {0, 300}};
    cmath_vect destination[4];
    for (int k = 0; k < 4; ++k)
      destination[k] = {100 + source[k].x + jitter(random), 80 + source[k].y + jitter(random)};
    cmath_xformPerspective h, inverse;
    ASSERT_EQ(cmath_xformPerspective_constructPointsAllowNonUnique(&h, source, destination, 4), 0);
    for (int k = 0; k < 4; ++k) expectNear(map(h, source[k]), destination[k], 1e-9);

    // Lines stay lines: the centre of the source maps to where the mapped diagonals cross.
    const cmath_vect c = map(h, {200, 150});
    const cmath_vect& a = destination[0];
    const cmath_vect& b = destination[2];
    EXPECT_NEAR((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x), 0, 1e-6);
    const cmath_vect& d = destination[1];
    const cmath_vect& e = destination[3];
    EXPECT_NEAR((e.x - d.x) * (c.y - d.y) - (e.y - d.y) * (c.x - d.x), 0, 1e-6);

    cmath_xformPerspective_construct(&inverse);
    ASSERT_EQ(cmath_xformPerspective_getInverse(&h, &inverse), 0);
    for (int k = 0; k < 4; ++k) expectNear(map(inverse, destination[k]), source[k], 1e-9);
    ASSERT_EQ(cmath_xformPerspective_getInverse(&inverse, &inverse), 0);  // aliased
    expectNear(map(inverse, {123, 45}), map(h, {123, 45}), 1e-9);
    EXPECT_EQ(cmath_xformPerspective_destruct(&h), 0);
    EXPECT_EQ(cmath_xformPerspective_destruct(&inverse), 0);
  }
}

TEST(Perspective, IdentityAffineCorrespondenceAndSharedPoints) {
  cmath_xformPerspective h;
  cmath_xformPerspective_construct(&h);
  expectNear(map(h, {-3, 8}), {-3, 8}, 1e-15);

  // Parallelogram to parallelogram: no perspective terms.
  const cmath_vect square[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  const cmath_vect slanted[4] = {{2, 1}, {5, 2}, {6, 6}, {3, 5}};
  ASSERT_EQ(cmath_xformPerspective_constructPointsAllowNonUnique(&h, square, slanted, 4), 0);
  EXPECT_NEAR(h.h[2][0], 0, 1e-15);
  EXPECT_NEAR(h.h[2][1], 0, 1e-15);
  expectNear(map(h, {0.5, 0.5}), {4, 3.5}, 1e-12);

  // Lists that share three points (only the fourth corner moves), and the same array twice.
  const cmath_vect moved[4] = {{2, 1}, {5, 2}, {7, 7}, {3, 5}};
  ASSERT_EQ(cmath_xformPerspective_constructPointsAllowNonUnique(&h, slanted, moved, 4), 0);
  expectNear(map(h, slanted[1]), moved[1], 1e-12);
  expectNear(map(h, slanted[2]), moved[2], 1e-12);
  ASSERT_EQ(cmath_xformPerspective_constructPointsAllowNonUnique(&h, moved, moved, 4), 0);
  expectNear(map(h, {100, -7}), {100, -7}, 1e-9);
}

TEST(Perspective, DegenerateConfigurationsFail) {
  const cmath_vect square[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  const cmath_vect threeInLine[4] = {{0, 0}, {1, 0}, {2, 1e-12}, {0, 1}};
  const cmath_vect repeated[4] = {{0, 0}, {1, 0}, {1, 0}, {0, 1}};
  const cmath_vect notFinite[4] = {{0, 0}, {1, 0}, {1, NAN}, {0, 1}};
  cmath_xformPerspective h;
  cmath_xformPerspective_construct(&h);
  const cmath_xformPerspective before = h;
  EXPECT_EQ(cmath_xformPerspective_constructPointsAllowNonUnique(&h, square, square, 3),
            CMATH_STATUS_BAD_POINT_COUNT);
  EXPECT_EQ(cmath_xformPerspective_constructPointsAllowNonUnique(&h, square, square, 5),
            CMATH_STATUS_BAD_POINT_COUNT);
  for (const cmath_vect* bad : {threeInLine, repeated, notFinite}) {
    EXPECT_EQ(cmath_xformPerspective_constructPointsAllowNonUnique(&h, bad, square, 4),
              CMATH_STATUS_DEGENERATE_POINTS);
    EXPECT_EQ(cmath_xformPerspective_constructPointsAllowNonUnique(&h, square, bad, 4),
              CMATH_STATUS_DEGENERATE_POINTS);
  }
  EXPECT_EQ(h.h[0][0], before.h[0][0]);

  cmath_xformPerspective singular{{{1, 2, 3}, {2, 4, 6}, {0, 0, 1}}};
  EXPECT_EQ(cmath_xformPerspective_getInverse(&singular, &h), CMATH_STATUS_SINGULAR);
  EXPECT_EQ(h.h[0][0], before.h[0][0]);
}

TEST(Perspective, HorizonPointsHaveNoImage) {
  // w = 0.01 x + 1: the line x = -100 is the horizon.
  const cmath_xformPerspective h{{{1, 0, 0}, {0, 1, 0}, {0.01, 0, 1}}};
  const cmath_vect onHorizon{-100, 37};
  cmath_vect out{5, 5};
  EXPECT_EQ(cmath_xformPerspective_mapPoint(&h, &onHorizon, &out), CMATH_STATUS_AT_HORIZON);
  EXPECT_EQ(out.x, 5);
  expectNear(map(h, {-200, 10}), {200, -10}, 1e-12);  // beyond the horizon, w = -1
}

TEST(GeneralXform, MapsLinearAndPerspective) {
  const cmath_xformLinear linear{{2, 1, -1, 3}, {5, -7}};
  cmath_xform general;
  cmath_xform_initLinear(&general, &linear);
  const cmath_vect p{0.25, -3.5};
  cmath_vect viaGeneral, direct;
  ASSERT_EQ(cmath_xform_mapPoint(&general, &p, &viaGeneral), 0);
  cmath_xformLinear_mapPoint(&linear, &p, &direct);
  EXPECT_EQ(viaGeneral.x, direct.x);
  EXPECT_EQ(viaGeneral.y, direct.y);

  const cmath_xformPerspective perspective{{{1, 0, 0}, {0, 1, 0}, {0.01, 0, 1}}};
  cmath_xform_initPerspective(&general, &perspective);
  ASSERT_EQ(cmath_xform_mapPoint(&general, &p, &viaGeneral), 0);
  expectNear(viaGeneral, map(perspective, p), 0);
  const cmath_vect onHorizon{-100, 0};
  EXPECT_EQ(cmath_xform_mapPoint(&general, &onHorizon, &viaGeneral), CMATH_STATUS_AT_HORIZON);

  general.kind = 0;
  EXPECT_EQ(cmath_xform_mapPoint(&general, &p, &viaGeneral), CMATH_STATUS_BAD_XFORM_KIND);
}

}  // namespace
