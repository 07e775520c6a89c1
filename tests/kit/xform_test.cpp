// Kit transforms: perspective from four point pairs, degenerate configurations, the horizon.
#include "kit/xform.h"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(Perspective, FourPairsGiveBackTheTransformThatMadeThem) {
  const double truths[2][3][3] = {{{1.2, 0.1, 30}, {-0.2, 0.9, -15}, {3e-4, -2e-4, 1}},
                                 {{0.7, -0.3, -40}, {0.25, 1.4, 20}, {-4e-4, 4e-4, 1}}};
  for (const auto& truth : truths) {
    const auto apply = [&](const cmath_vect& p) {  // the homography, written out
      const double w = truth[2][0] * p.x + truth[2][1] * p.y + truth[2][2];
      return cmath_vect{(truth[0][0] * p.x + truth[0][1] * p.y + truth[0][2]) / w,
                        (truth[1][0] * p.x + truth[1][1] * p.y + truth[1][2]) / w};
    };
    cmath_vect source[4] = {{0, 0}, {400, 0}, {400, 300}, {0, 300}}, destination[4];
    for (int k = 0; k < 4; ++k) {
      source[k] = {source[k].x + 7 * k, source[k].y - 5 * k};
      destination[k] = apply(source[k]);
    }
    cmath_xformPerspective h, inverse;
    ASSERT_EQ(cmath_xformPerspective_constructPointsAllowNonUnique(&h, source, destination, 4), 0);
    for (int k = 0; k < 4; ++k) {
      const cmath_vect p{50.0 + 97 * k, 20.0 + 71 * k};
      expectNear(map(h, p), apply(p), 1e-8);
    }
    cmath_xformPerspective_construct(&inverse);
    ASSERT_EQ(cmath_xformPerspective_getInverse(&h, &inverse), 0);
    for (int k = 0; k < 4; ++k) expectNear(map(inverse, destination[k]), source[k], 1e-8);
    ASSERT_EQ(cmath_xformPerspective_getInverse(&inverse, &inverse), 0);  // aliased
    expectNear(map(inverse, {123, 45}), apply({123, 45}), 1e-8);
  }
}

TEST(Perspective, AffineAndDegenerateConfigurations) {
  const cmath_vect square[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  const cmath_vect slanted[4] = {{2, 1}, {5, 2}, {6, 6}, {3, 5}};
  cmath_xformPerspective h;
  ASSERT_EQ(cmath_xformPerspective_constructPointsAllowNonUnique(&h, square, slanted, 4), 0);
  expectNear(map(h, {0.5, 0.5}), {4, 3.5}, 1e-12);

  const cmath_vect threeInLine[4] = {{0, 0}, {1, 0}, {2, 1e-12}, {0, 1}};
  const cmath_vect repeated[4] = {{0, 0}, {1, 0}, {1, 0}, {0, 1}};
  const cmath_vect notFinite[4] = {{0, 0}, {1, 0}, {1, NAN}, {0, 1}};
  for (const cmath_vect* bad : {threeInLine, repeated, notFinite}) {
    EXPECT_EQ(cmath_xformPerspective_constructPointsAllowNonUnique(&h, bad, square, 4),
              CMATH_STATUS_DEGENERATE_POINTS);
    EXPECT_EQ(cmath_xformPerspective_constructPointsAllowNonUnique(&h, square, bad, 4),
              CMATH_STATUS_DEGENERATE_POINTS);
  }
  const cmath_xformPerspective singular{{{1, 2, 3}, {2, 4, 6}, {0, 0, 1}}};
  EXPECT_EQ(cmath_xformPerspective_getInverse(&singular, &h), CMATH_STATUS_SINGULAR);
  expectNear(map(h, {0.5, 0.5}), {4, 3.5}, 1e-12);  // unchanged
}

TEST(Perspective, HorizonAndGeneralTransforms) {
  // w = 0.01 x + 1: the line x = -100 is the horizon.
  const cmath_xformPerspective h{{{1, 0, 0}, {0, 1, 0}, {0.01, 0, 1}}};
  const cmath_vect onHorizon{-100, 37};
  cmath_vect out{5, 5};
  EXPECT_EQ(cmath_xformPerspective_mapPoint(&h, &onHorizon, &out), CMATH_STATUS_AT_HORIZON);
  EXPECT_EQ(out.x, 5);
  expectNear(map(h, {-200, 10}), {200, -10}, 1e-12);  // beyond the horizon, w = -1

  cmath_xform general;
  cmath_xform_initPerspective(&general, &h);
  EXPECT_EQ(cmath_xform_mapPoint(&general, &onHorizon, &out), CMATH_STATUS_AT_HORIZON);
  const cmath_xformLinear linear{{2, 1, -1, 3}, {5, -7}};
  cmath_xform_initLinear(&general, &linear);
  ASSERT_EQ(cmath_xform_mapPoint(&general, &onHorizon, &out), 0);
  expectNear(out, {2 * -100 + 37 + 5, 100 + 3 * 37 - 7}, 0);
  general.kind = 0;
  EXPECT_EQ(cmath_xform_mapPoint(&general, &onHorizon, &out), CMATH_STATUS_BAD_XFORM_KIND);
}

}  // namespace
