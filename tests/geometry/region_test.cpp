// Symbol regions: views, flips, maps, dilations, queries and the fixed-point region.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>

#include "ci_id/priv/ci_idut/geometry.h"
#include "support/hooks.h"

namespace {

constexpr double degree = std::numbers::pi / 180;

void expectNear(const cmath_vect& a, const cmath_vect& b, double tolerance = 1e-9) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
}

void expectCorners(const cid_region& r, const cmath_vect& po, const cmath_vect& px,
                   const cmath_vect& py, const cmath_vect& popp, double tolerance = 1e-9) {
  for (const auto& [a, b] : {std::pair{r.Po, po}, {r.Px, px}, {r.Py, py}, {r.Popp, popp}})
    expectNear(a, b, tolerance);
}

cid_region region(cmath_vect po, cmath_vect px, cmath_vect py, const cmath_vect* popp) {
  cid_region r;
  EXPECT_EQ(cid_region_initPoPxPyPopp(&r, &po, &px, &py, popp), 0);
  return r;
}

cid_region general(cmath_vect po, cmath_vect px, cmath_vect py, cmath_vect popp) {
  return region(po, px, py, &popp);
}

cid_region unitSquare() {
  cid_region r;
  EXPECT_EQ(cid_region_init(&r), 0);
  return r;
}

TEST(Region, AffineViewsAndTheirFailures) {
  // From the centre segments: X (0, 0)-(9, 0); Y at x = 3 spans y = -4/3 .. 4/3.
  cid_region trapezoid = general({0, -1}, {9, -2}, {0, 1}, {9, 2}), affine;
  cmath_shapeAffineRect out;
  ASSERT_EQ(cid_region_getAffineRect(&trapezoid, &out), 0);
  expectNear(out.po, {0, -4.0 / 3});
  expectNear(out.px, {9, -4.0 / 3});
  expectNear(out.py, {0, 4.0 / 3});
  ASSERT_EQ(cid_region_initMakeAffine(&affine, &trapezoid), 0);
  EXPECT_EQ(affine.affine, 1);
  expectNear(affine.Popp, {9, 4.0 / 3});
}

TEST(Region, FlipsAndQuarterTurns) {
  cid_region r = general({0, 0}, {10, 1}, {-1, 8}, {11, 10}), once;
  for (int i = 0; i < 4; ++i) r.tightness[i] = i + 1;  // Po 1, Py 2, Px 3, Popp 4
  cid_region_initFlipY(&once, &r);
  expectCorners(once, r.Py, r.Popp, r.Po, r.Px, 0);
  cid_region_initFlipY(&once, &once);  // in place; the tightness stays with the names
  expectCorners(once, r.Po, r.Px, r.Py, r.Popp, 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(once.tightness[i], r.tightness[i]) << i;

  cid_region turned;
  ASSERT_EQ(cid_region_initRotatePoints(&turned, 1, &r), 0);
  expectCorners(turned, r.Px, r.Popp, r.Po, r.Py, 0);
  const int32_t followed[4] = {3, 1, 4, 2};  // Po was Px, Py was Po, Px was Popp, Popp was Py
  for (int i = 0; i < 4; ++i) EXPECT_EQ(turned.tightness[i], followed[i]);
  EXPECT_CHECK_FAILS(cid_region_initRotatePoints(&turned, -1, &r));
}

TEST(Region, PerspectiveMapAndTheHorizon) {
  cid_region square = unitSquare(), out;
  square.tightness[1] = 0;
  const cmath_xformPerspective tilt{{{1, 0, 0}, {0, 1, 0}, {0.5, 0, 1}}};  // w = 0.5 x + 1
  ASSERT_EQ(cid_region_initMapPersp(&out, &tilt, &square), 0);
  expectCorners(out, {0, 0}, {2.0 / 3, 0}, {0, 1}, {2.0 / 3, 2.0 / 3});
  EXPECT_TRUE(out.affine == 0 && out.tightness[1] == 0);
  square.Popp = cmath_vect{-2, 5};  // on the horizon x = -2
  EXPECT_EQ(cid_region_initMapPersp(&out, &tilt, &square), CMATH_STATUS_AT_HORIZON);
}

TEST(Region, DilationsOfTheUnitSquare) {
  const cid_region square = unitSquare();
  cid_region out;
  const double scale[2] = {2, 1}, distance[2] = {1, 0};
  ASSERT_EQ(cid_region_initDilate(&out, scale, distance, &square), 0);
  expectCorners(out, {-1.5, 0}, {2.5, 0}, {-1.5, 1}, {2.5, 1});

  // One end; in Y an affine region is rebuilt around its X midpoint segment.
  const double two = 2;
  ASSERT_EQ(cid_region_initDilateDim(&out, 1, 0, 1, nullptr, &two, &square), 0);
  expectCorners(out, {0, 0}, {3, 0}, {0, 1}, {3, 1});
  ASSERT_EQ(cid_region_initDilateDim(&out, 0, 1, 0, &two, nullptr, &square), 0);
  expectCorners(out, {0, -0.25}, {1, -0.25}, {0, 1.25}, {1, 1.25});

  cid_region line = square;
  line.Py = line.Po;
  line.Popp = line.Px;
  EXPECT_CHECK_FAILS(cid_region_initDilate(&out, nullptr, distance, &line));
  EXPECT_EQ(cid_region_initDilateDim(&out, 0, 1, 1, &two, nullptr, &line), 0);
}

// A parallelogram with sides 10 and 6 and the given corner angle at Po.
cid_region withCornerAngle(double radians) {
  return region({0, 0}, {10, 0}, {6 * std::cos(radians), 6 * std::sin(radians)}, nullptr);
}

int32_t isDegenerate(const cid_region& r) {
  int32_t flag = -1;
  EXPECT_EQ(cid_region_getIsDegenerate(&r, &flag), 0);
  return flag;
}

int32_t within(const cid_region& r, cmath_vect p) {
  int32_t flag = -1;
  EXPECT_EQ(cid_region_within(&r, &p, &flag), 0);
  return flag;
}

TEST(RegionQuery, SecondSidesLengthsAndAverages) {
  const cid_region trapezoid = general({0, 0}, {10, 0}, {2, 4}, {8, 4});
  double value, shorter, longer;
  cid_region_getXLengths(&trapezoid, &shorter, &longer);
  EXPECT_TRUE(shorter == 6 && longer == 10);
  // Y sides of heights 2 and 4: the diagonals cross a third of the way along X.
  const cid_region r = general({0, -1}, {9, -2}, {0, 1}, {9, 2});
  cid_region_getAvYLength(&r, &value);
  EXPECT_NEAR(value, 8.0 / 3, 1e-12);
}

TEST(RegionQuery, DegeneracyAtTheCornerAngleLimit) {
  // sin^2 of the corner must reach 0.003: about 3.1397 degrees.
  EXPECT_EQ(isDegenerate(withCornerAngle(3.13 * degree)), 1);
  EXPECT_EQ(isDegenerate(withCornerAngle(3.15 * degree)), 0);
  EXPECT_EQ(isDegenerate(general({0, 0}, {10, 0}, {0, 10}, {0, 10.1})), 1);  // flat at Py
  EXPECT_EQ(isDegenerate(general({0, 0}, {10, 0}, {0, 10}, {3, 3})), 1);     // concave
  EXPECT_EQ(isDegenerate(general({0, 0}, {10, 0}, {10, 10}, {0, 10})), 1);   // bow-tie
}

TEST(RegionQuery, ContainmentOnTheEdges) {
  const cid_region square = unitSquare();
  EXPECT_EQ(within(square, {0.5, 0.5}), 1);
  // Of the edges only Py-Po is outside; mirrored, the rule turns round.
  EXPECT_EQ(within(square, {0, 0.5}), 0);
  EXPECT_TRUE(within(square, {0.5, 0}) && within(square, {1, 0.5}) && within(square, {0.5, 1}));
  cid_region mirrored;
  cid_region_initFlipX(&mirrored, &square);
  EXPECT_EQ(within(mirrored, {0.5, 0}), 0);
  // A collapsed region holds nothing; a perspective region holds its quadrilateral.
  EXPECT_EQ(within(general({2, 2}, {2, 2}, {2, 2}, {2, 2}), {2, 2}), 0);
  const cid_region trapezoid = general({0, 0}, {10, 0}, {2, 4}, {8, 4});
  EXPECT_EQ(within(trapezoid, {9, 3}), 0);
  EXPECT_EQ(within(trapezoid, {7.5, 3}), 1);
}

TEST(RegionQuery, FixedPointRoundsHalvesUpwardsAndScansTruncate) {
  cid_region r = general({1.5, -1.5}, {0.001953125, -0.001953125}, {-1.5 / 256, 2.5 / 256},
                         {-0.75 / 256, 1000.25});
  r.affine = 1;
  cid_fixedRegion fixed;
  ASSERT_EQ(cid_fixedRegion_initRegion(&fixed, &r), 0);
  const int32_t expected[9] = {384, -384, 1, 0, -1, 3, -1, 256064, 1};
  const int32_t actual[9] = {fixed.PoX, fixed.PoY,   fixed.PxX,   fixed.PxY,   fixed.PyX,
                             fixed.PyY, fixed.PoppX, fixed.PoppY, fixed.affine};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(actual[i], expected[i]) << i;

  fixed = cid_fixedRegion{0, 0, 2560, 0, 0, 2560, 2560, -2565, 0};
  int32_t starts[4], steps[4];
  ASSERT_EQ(cid_fixedRegion_sampleScans(&fixed, 5, starts, steps), 0);
  EXPECT_TRUE(starts[0] == 0 && starts[1] == 256 && starts[2] == 2560);
  EXPECT_EQ(starts[3], -256);  // -256.5 truncated
  EXPECT_TRUE(steps[1] == 512 && steps[3] == -512);
  cid_fixedRegion_sampleScans(&fixed, 1, starts, steps);
  EXPECT_EQ(starts[1], 1280);
  EXPECT_CHECK_FAILS(cid_fixedRegion_sampleScans(&fixed, 0, starts, steps));
}

}  // namespace
