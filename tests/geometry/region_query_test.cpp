// Region queries: sides, averages, degeneracy at the corner-angle limit, containment on
// the edges, enclosing rectangles and the fixed-point region with its scan sampling.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "ci_id/priv/ci_idut/geometry.h"
#include "support/hooks.h"

namespace {

constexpr double degree = std::numbers::pi / 180;

cid_region general(cmath_vect po, cmath_vect px, cmath_vect py, cmath_vect popp) {
  cid_region r;
  cid_region_initPoPxPyPopp(&r, &po, &px, &py, &popp);
  return r;
}

cid_region parallelogram(cmath_vect po, cmath_vect px, cmath_vect py) {
  cid_region r;
  cid_region_initPoPxPyPopp(&r, &po, &px, &py, nullptr);
  return r;
}

// A parallelogram with sides 10 and 6 and the given corner angle at Po.
cid_region withCornerAngle(double radians) {
  return parallelogram({0, 0}, {10, 0}, {6 * std::cos(radians), 6 * std::sin(radians)});
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

TEST(RegionQuery, SidesOfTheUnitSquareAndATrapezoid) {
  cid_region square;
  cid_region_init(&square);
  cmath_vect v;
  cid_region_getXVect(&square, 1, &v);
  EXPECT_EQ(v.x, 1);
  EXPECT_EQ(v.y, 0);
  cid_region_getXVect(&square, 0, &v);  // Popp - Py
  EXPECT_EQ(v.x, 1);
  cid_region_getYVect(&square, 1, &v);
  EXPECT_EQ(v.y, 1);
  double angle, length, shorter, longer;
  cid_region_getYAngle(&square, 0, &angle);
  EXPECT_DOUBLE_EQ(angle, std::numbers::pi / 2);
  cid_region_getXForshortening(&square, &length);
  EXPECT_EQ(length, 1.0);

  const cid_region trapezoid = general({0, 0}, {10, 0}, {2, 4}, {8, 4});
  cid_region_getXLength(&trapezoid, 0, &length);
  EXPECT_DOUBLE_EQ(length, 6);
  cid_region_getXLengths(&trapezoid, &shorter, &longer);
  EXPECT_DOUBLE_EQ(shorter, 6);
  EXPECT_DOUBLE_EQ(longer, 10);
  const cid_region flipped = general({0, 0}, {6, 0}, {-2, 4}, {8, 4});
  cid_region_getXLengths(&flipped, &shorter, &longer);
  EXPECT_DOUBLE_EQ(shorter, 6);
  EXPECT_DOUBLE_EQ(longer, 10);
  cid_region_getYLengths(&trapezoid, &shorter, &longer);
  EXPECT_DOUBLE_EQ(shorter, std::sqrt(20.0));
  EXPECT_DOUBLE_EQ(longer, std::sqrt(20.0));
  cid_region_getXAngle(&trapezoid, 1, &angle);
  EXPECT_EQ(angle, 0);
}

TEST(RegionQuery, AveragesAndForeshortening) {
  // Y sides of heights 2 and 4: the diagonals cross a third of the way along X.
  const cid_region r = general({0, -1}, {9, -2}, {0, 1}, {9, 2});
  double ratio, length, angle;
  cid_region_getXForshortening(&r, &ratio);
  EXPECT_NEAR(ratio, 0.5, 1e-12);
  cid_region_getYForshortening(&r, &ratio);
  EXPECT_NEAR(ratio, 1, 1e-12);
  cid_region_getAvXLength(&r, &length);
  EXPECT_NEAR(length, 9, 1e-12);
  cid_region_getAvYLength(&r, &length);
  EXPECT_NEAR(length, 8.0 / 3, 1e-12);
  cid_region_getAvYAngle(&r, &angle);
  EXPECT_NEAR(angle, std::numbers::pi / 2, 1e-12);

  // Zero directions fall back to the axes, general or affine.
  cmath_vect unit;
  for (int32_t affine : {0, 1}) {
    cid_region point = general({3, 3}, {3, 3}, {3, 3}, {3, 3});
    point.affine = affine;
    ASSERT_EQ(cid_region_getAvXUnitDir(&point, &unit), 0);
    EXPECT_EQ(unit.x, 1);
    EXPECT_EQ(unit.y, 0);
    ASSERT_EQ(cid_region_getAvYUnitDir(&point, &unit), 0);
    EXPECT_EQ(unit.y, 1);
    cid_region_getAvXAngle(&point, &angle);
    EXPECT_EQ(angle, 0);
    const cmath_vect anywhere{1, 2};
    ASSERT_EQ(cid_region_getXDirAtPoint(&point, &anywhere, &unit), 0);
    EXPECT_EQ(unit.x, 0);
    EXPECT_EQ(unit.y, 0);
  }
}

TEST(RegionQuery, DegeneracyAtTheCornerAngleLimit) {
  // sin^2 of the corner must reach 0.003: the limit lies at about 3.1397 degrees.
  EXPECT_EQ(isDegenerate(withCornerAngle(2 * degree)), 1);
  EXPECT_EQ(isDegenerate(withCornerAngle(3.13 * degree)), 1);
  EXPECT_EQ(isDegenerate(withCornerAngle(3.15 * degree)), 0);
  EXPECT_EQ(isDegenerate(withCornerAngle(5 * degree)), 0);
  EXPECT_EQ(isDegenerate(withCornerAngle(176.8 * degree)), 0);
  EXPECT_EQ(isDegenerate(withCornerAngle(176.9 * degree)), 1);

  cid_region square;
  cid_region_init(&square);
  cid_region mirrored;
  cid_region_initFlipX(&mirrored, &square);  // clockwise outline
  EXPECT_EQ(isDegenerate(mirrored), 0);
  EXPECT_EQ(isDegenerate(general({2, 2}, {2, 2}, {2, 2}, {2, 2})), 1);
  EXPECT_EQ(isDegenerate(general({0, 0}, {10, 0}, {0, 10}, {0, 10.1})), 1);  // flat at Py
  EXPECT_EQ(isDegenerate(general({0, 0}, {10, 0}, {0, 10}, {3, 3})), 1);     // concave
  EXPECT_EQ(isDegenerate(general({0, 0}, {10, 0}, {10, 10}, {0, 10})), 1);   // bow-tie
}

TEST(RegionQuery, ContainmentOnTheEdges) {
  cid_region square;
  cid_region_init(&square);
  EXPECT_EQ(within(square, {0.5, 0.5}), 1);
  EXPECT_EQ(within(square, {1.5, 0.5}), 0);
  // Counter-clockwise in x right, y down terms the interior lies on the positive side:
  // the Py-Po edge is outside, the other edges inside.
  EXPECT_EQ(within(square, {0, 0.5}), 0);
  EXPECT_EQ(within(square, {0.5, 0}), 1);
  EXPECT_EQ(within(square, {1, 0.5}), 1);
  EXPECT_EQ(within(square, {0.5, 1}), 1);
  // Mirrored, the rule turns round.
  cid_region mirrored;
  cid_region_initFlipX(&mirrored, &square);
  EXPECT_EQ(within(mirrored, {0.5, 0.5}), 1);
  EXPECT_EQ(within(mirrored, {1, 0.5}), 1);
  EXPECT_EQ(within(mirrored, {0.5, 0}), 0);
  // A collapsed region holds nothing, not even its own corner.
  const cid_region dot = general({2, 2}, {2, 2}, {2, 2}, {2, 2});
  EXPECT_EQ(within(dot, {2, 2}), 0);
  EXPECT_EQ(within(dot, {5, 1}), 0);
  const cid_region flat = general({0, 0}, {1, 0}, {2, 0}, {3, 0});
  EXPECT_EQ(within(flat, {1.5, 0}), 0);
  // A perspective region: inside its quadrilateral, not its parallelogram.
  const cid_region trapezoid = general({0, 0}, {10, 0}, {2, 4}, {8, 4});
  EXPECT_EQ(within(trapezoid, {9, 3}), 0);
  EXPECT_EQ(within(trapezoid, {7.5, 3}), 1);
}

TEST(RegionQuery, EnclosingRectangles) {
  // x from 1.25 to 4 (Popp), y from -2.5 (Popp) to -0.125.
  const cid_region r = parallelogram({1.25, -0.125}, {3.75, -0.125}, {1.5, -2.5});
  double rect[4];
  ASSERT_EQ(cid_region_getEncloseRect(&r, nullptr, rect), 0);
  EXPECT_EQ(rect[0], 1.25);
  EXPECT_EQ(rect[1], -2.5);
  EXPECT_EQ(rect[2], 2.75);
  EXPECT_EQ(rect[3], 2.375);
  cstd_rect32 box;
  ASSERT_EQ(cid_region_getEncloseImageRect(&r, nullptr, &box), 0);
  EXPECT_EQ(box.x, 1);
  EXPECT_EQ(box.width, 3);
  EXPECT_EQ(box.y, -3);
  EXPECT_EQ(box.height, 3);  // ceil(-0.125) = 0

  const cmath_xformLinear doubled{{2, 0, 0, 2}, {10, 20}};
  cid_region_getEncloseImageRect(&r, &doubled, &box);
  EXPECT_EQ(box.x, 12);      // 12.5
  EXPECT_EQ(box.width, 6);   // 18 - 12
  EXPECT_EQ(box.y, 15);      // 20 - 5
  EXPECT_EQ(box.height, 5);  // 19.75 -> 20

  int32_t inside = -1;
  const cstd_rect32 image{0, -3, 4, 3}, smaller{1, -2, 4, 3};
  cid_region_isWithinImageRect(&r, nullptr, &image, &inside);
  EXPECT_EQ(inside, 1);
  cid_region_isWithinImageRect(&r, nullptr, &smaller, &inside);
  EXPECT_EQ(inside, 0);
  cid_region_isWithinImageRect(&r, &doubled, &image, &inside);
  EXPECT_EQ(inside, 0);
}

TEST(RegionQuery, FixedPointRoundsHalvesUpwards) {
  cid_region r = general({1.5, -1.5}, {0.001953125, -0.001953125}, {-1.5 / 256, 2.5 / 256},
                         {-0.75 / 256, 1000.25});
  r.affine = 1;
  cid_fixedRegion fixed;
  ASSERT_EQ(cid_fixedRegion_initRegion(&fixed, &r), 0);
  EXPECT_EQ(fixed.PoX, 384);
  EXPECT_EQ(fixed.PoY, -384);
  EXPECT_EQ(fixed.PxX, 1);
  EXPECT_EQ(fixed.PxY, 0);
  EXPECT_EQ(fixed.PyX, -1);
  EXPECT_EQ(fixed.PyY, 3);
  EXPECT_EQ(fixed.PoppX, -1);
  EXPECT_EQ(fixed.PoppY, 256064);
  EXPECT_EQ(fixed.affine, 1);
}

TEST(RegionQuery, ScanSamplingTruncatesTowardZero) {
  // Y sides of 10 pixels down and 10.02 pixels up, 5 bands.
  const cid_fixedRegion fixed{0, 0, 2560, 0, 0, 2560, 2560, -2565, 0};
  int32_t starts[4], steps[4];
  ASSERT_EQ(cid_fixedRegion_sampleScans(&fixed, 5, starts, steps), 0);
  EXPECT_EQ(starts[0], 0);
  EXPECT_EQ(starts[1], 256);
  EXPECT_EQ(starts[2], 2560);
  EXPECT_EQ(starts[3], -256);  // -256.5 truncated
  EXPECT_EQ(steps[1], 512);
  EXPECT_EQ(steps[3], -512);
  cid_fixedRegion_sampleScans(&fixed, 1, starts, steps);
  EXPECT_EQ(starts[1], 1280);
  EXPECT_EQ(steps[1], 2560);
  EXPECT_CHECK_FAILS(cid_fixedRegion_sampleScans(&fixed, 0, starts, steps));
}

TEST(RegionQuery, ArgumentChecks) {
  cid_region r;
  cid_region_init(&r);
  cmath_vect v;
  const cmath_vect p{};
  double value;
  int32_t flag;
  double rect[4];
  cstd_rect32 box{};
  EXPECT_CHECK_FAILS(cid_region_getXVect(nullptr, 1, &v));
  EXPECT_CHECK_FAILS(cid_region_getYVect(&r, 1, nullptr));
  EXPECT_CHECK_FAILS(cid_region_getXAngle(nullptr, 1, &value));
  EXPECT_CHECK_FAILS(cid_region_getYAngle(&r, 1, nullptr));
  EXPECT_CHECK_FAILS(cid_region_getXLength(nullptr, 1, &value));
  EXPECT_CHECK_FAILS(cid_region_getYLength(&r, 1, nullptr));
  EXPECT_CHECK_FAILS(cid_region_getXLengths(nullptr, &value, &value));
  EXPECT_CHECK_FAILS(cid_region_getXLengths(&r, nullptr, &value));
  EXPECT_CHECK_FAILS(cid_region_getYLengths(&r, &value, nullptr));
  EXPECT_CHECK_FAILS(cid_region_getCenter(nullptr, &v));
  EXPECT_CHECK_FAILS(cid_region_getCenter(&r, nullptr));
  EXPECT_CHECK_FAILS(cid_region_getIsDegenerate(nullptr, &flag));
  EXPECT_CHECK_FAILS(cid_region_getIsDegenerate(&r, nullptr));
  EXPECT_CHECK_FAILS(cid_region_within(nullptr, &p, &flag));
  EXPECT_CHECK_FAILS(cid_region_within(&r, nullptr, &flag));
  EXPECT_CHECK_FAILS(cid_region_within(&r, &p, nullptr));
  EXPECT_CHECK_FAILS(cid_region_getEncloseRect(nullptr, nullptr, rect));
  EXPECT_CHECK_FAILS(cid_region_getEncloseRect(&r, nullptr, nullptr));
  EXPECT_CHECK_FAILS(cid_region_getEncloseImageRect(nullptr, nullptr, &box));
  EXPECT_CHECK_FAILS(cid_region_getEncloseImageRect(&r, nullptr, nullptr));
  EXPECT_CHECK_FAILS(cid_region_isWithinImageRect(nullptr, nullptr, &box, &flag));
  EXPECT_CHECK_FAILS(cid_region_isWithinImageRect(&r, nullptr, nullptr, &flag));
  EXPECT_CHECK_FAILS(cid_region_isWithinImageRect(&r, nullptr, &box, nullptr));
}

}  // namespace
