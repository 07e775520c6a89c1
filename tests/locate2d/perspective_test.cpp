// Perspective decision, the mapping (fixed by its four corners), corner checks.
#include <gtest/gtest.h>

#include <cstring>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "support/hooks.h"

namespace {

// A 40 x 30 rectangle with origin (10, 20); its completing corner is (50, 50).
const cmath_shapeAffineRectPoints symbol{{10, 20}, {50, 20}, {10, 50}};

int32_t required(const cmath_vect* fourthCorner) {
  int32_t flag = -1;
  EXPECT_EQ(cidut_isPerspectiveMappingRequired(&symbol, fourthCorner, &flag), 0);
  return flag;
}

int32_t severe(cmath_vect fourthCorner, double threshold) {
  int32_t flag = -1;
  EXPECT_EQ(cidut_isPerspectiveSevere(&symbol, &fourthCorner, threshold, &flag), 0);
  return flag;
}

cmath_vect mapped(const cmath_xformPerspective& xform, cmath_vect p) {
  cmath_vect out{};
  EXPECT_EQ(cmath_xformPerspective_mapPoint(&xform, &p, &out), 0);
  return out;
}

void expectNear(cmath_vect actual, cmath_vect expected, double tolerance) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
}

void expectPerspectiveUntouched(const cmath_xformPerspective& xform, double value) {
  for (const auto& row : xform.h)
    for (double v : row) EXPECT_EQ(v, value);
}

}  // namespace

TEST(Perspective, DecisionAtTheThresholds) {
  const cmath_vect atTwo{52, 50}, beyondTwo{50, 52.01}, diagonal{48.5, 48.5};
  EXPECT_EQ(required(&atTwo), 0);
  EXPECT_EQ(required(&beyondTwo), 1);
  EXPECT_EQ(required(&diagonal), 1);  // 1.5 sqrt 2 = 2.12
  const cmath_vect completing{50, 50};
  EXPECT_EQ(required(nullptr), 0);  // no measured corner: the parallelogram stands

  // A 3-4-5 departure against thresholds around 5.
  EXPECT_EQ(severe({53, 54}, 5.0), 0);
  EXPECT_EQ(severe({53, 54}, 4.99), 1);
  EXPECT_EQ(severe({50, 50}, 0.0), 0);

  int32_t flag;
  EXPECT_CHECK_FAILS(cidut_isPerspectiveMappingRequired(nullptr, &completing, &flag));
  EXPECT_CHECK_FAILS(cidut_isPerspectiveSevere(&symbol, &completing, 5.0, nullptr));
}

TEST(Perspective, MappingTakesTheCornersAndInvertsAndRectanglesFollow) {
  const cmath_vect measured{56.5, 44.25};
  cmath_xformPerspective xform, inverse;
  ASSERT_EQ(cidut_perspectiveMapping_construct(&symbol, &measured, &xform, &inverse), 0);

  const cmath_vect ideal[4] = {symbol.p0, symbol.p1, symbol.p2, {50, 50}};
  const cmath_vect actual[4] = {symbol.p0, symbol.p1, symbol.p2, measured};
  // Four corners fix a homography; the inverse takes points back.
  for (int i = 0; i < 4; ++i) expectNear(mapped(xform, ideal[i]), actual[i], 1e-9);
  for (const cmath_vect p : {cmath_vect{-10, 5}, cmath_vect{33, 41}, cmath_vect{70, 62}})
    expectNear(mapped(inverse, mapped(xform, p)), p, 1e-9);

  // A rectangle: its three corners mapped.
  const cmath_shapeAffineRect rect{{12.5, 22}, {40, 25}, {9, 47.75}};
  cmath_xform general;
  cmath_xform_initPerspective(&general, &xform);
  cmath_shapeAffineRect out = rect;
  ASSERT_EQ(cidut_affine_mapPerspective(&out, &general, &out), 0);  // in place
  expectNear(out.po, mapped(xform, rect.po), 1e-9);
  expectNear(out.px, mapped(xform, rect.px), 1e-9);
  expectNear(out.py, mapped(xform, rect.py), 1e-9);
  const cmath_shapeAffineRect before = out;
  cmath_xformPerspective horizon{};  // w = x - 12.5 vanishes at Po
  horizon.h[0][0] = horizon.h[1][1] = 1.0;
  horizon.h[2][0] = 1.0;
  horizon.h[2][2] = -12.5;
  cmath_xform_initPerspective(&general, &horizon);
  EXPECT_EQ(cidut_affine_mapPerspective(&rect, &general, &out), CMATH_STATUS_AT_HORIZON);
  EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
  EXPECT_EQ(cmath_xformPerspective_destruct(&xform), 0);
  EXPECT_EQ(cmath_xformPerspective_destruct(&inverse), 0);

}

TEST(Perspective, MappingFailuresLeaveNothingConstructed) {
  // A measured corner on the diagonal p1-p2: three destination points collinear.
  cmath_xformPerspective xform, inverse;
  for (auto* record : {&xform, &inverse})
    for (auto& row : record->h)
      for (double& v : row) v = 7.0;
  const cmath_vect onDiagonal{30, 35};
  EXPECT_EQ(cidut_perspectiveMapping_construct(&symbol, &onDiagonal, &xform, &inverse),
            CMATH_STATUS_DEGENERATE_POINTS);
  expectPerspectiveUntouched(xform, 7.0);
  expectPerspectiveUntouched(inverse, 7.0);


  EXPECT_CHECK_FAILS(cidut_perspectiveMapping_construct(&symbol, &onDiagonal, nullptr, &inverse));
}

TEST(Perspective, CornerValidity) {
  const cstd_rect32 bounds{10, 20, 100, 50};  // pixels 10..109, 20..69
  const auto defects = [&](cmath_vect p0, cmath_vect p1, cmath_vect p2, cmath_vect p3,
                           int32_t expectedStatus = 0) {
    int32_t flags = 0x55;
    EXPECT_EQ(cidut_verifyValidBarcodeRgnCorners(&p0, &p1, &p2, &p3, &bounds, &flags),
              expectedStatus);
    return flags;
  };
  EXPECT_EQ(defects({10, 20}, {109, 20}, {10, 69}, {109, 69}), 0);
  EXPECT_EQ(defects({9.5, 20}, {109, 20}, {10, 69}, {109, 69}), CIDUT_CORNER_P0_OUTSIDE);
  EXPECT_EQ(defects({10, 20}, {109, 20}, {10, 69}, {109, 70}), CIDUT_CORNER_P3_OUTSIDE);
  EXPECT_EQ(defects({12, 21}, {37, 55}, {7, 42}, {41, 4}),
            CIDUT_CORNERS_NOT_CONVEX | CIDUT_CORNER_P2_OUTSIDE | CIDUT_CORNER_P3_OUTSIDE);
  EXPECT_EQ(defects({10, 20}, {109, 69}, {10, 69}, {109, 20}, CIDUT_ERR_PARALLEL), 0x55);

  // Extreme bounds do not overflow: the last pixel column is INT32_MAX - 1.
  const cstd_rect32 wide{INT32_MAX - 100, 0, 100, 100};
  const cmath_vect a{INT32_MAX - 100.0, 0}, b{INT32_MAX - 1.0, 0}, c{INT32_MAX - 100.0, 99},
      d{double(INT32_MAX), 99};
  int32_t flags = -1;
  EXPECT_EQ(cidut_verifyValidBarcodeRgnCorners(&a, &b, &c, &d, &wide, &flags), 0);
  EXPECT_EQ(flags, CIDUT_CORNER_P3_OUTSIDE);
}
