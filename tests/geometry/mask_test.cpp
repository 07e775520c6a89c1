// Region masks: point answers, margins, region queries, bad inputs.
#include <gtest/gtest.h>

#include <cmath>

#include "ci_id/priv/ci_idut/geometry.h"
#include "support/hooks.h"

namespace {

cid_region affineRegion(double cx, double cy, double xLength, double yLength, double xRotation,
                        double yRotation) {
  const cmath_shapeAffineRectCenter rect{{cx, cy}, xLength, yLength, xRotation, yRotation};
  cid_region region;
  EXPECT_EQ(cid_region_initAffineRectCenter(&region, &rect, nullptr), 0);
  return region;
}

int32_t pointAnswer(const cid_mask* mask, const cmath_vect& p, const cmath_xformLinear& xform) {
  int32_t answer = -1;
  EXPECT_EQ(cid_mask_isPointUnMasked(mask, &p, &xform, &answer), 0);
  return answer;
}

const cmath_xformLinear identity{{1, 0, 0, 1}, {0, 0}};

// Painted masks answer by their pixels (nothing beyond the image), listed ones by the regions.
TEST(RegionMask, UpdatesAndRemovalsChangeThePointAnswers) {
  leakGuard guard;
  cimg_image source;
  ASSERT_EQ(cimg_image_construct(&source, CIMG_TYPE_8, 64, 48), 0);
  cid_mask painted, listed;
  ASSERT_EQ(cid_mask_construct(&painted, &source), 0);
  ASSERT_EQ(cid_mask_construct(&listed, nullptr), 0);
  const cid_region left = affineRegion(15, 15, 10, 10, 0, 0),
                   right = affineRegion(45, 15, 10, 10, 0.5, 0.5),
                   edge = affineRegion(60, 35, 20, 10, 0, 0);  // x 50 to 70: over the border
  for (cid_mask* mask : {&painted, &listed}) {
    ASSERT_EQ(cid_mask_appendRegion(mask, &left, 0), 0);
    ASSERT_EQ(cid_mask_appendRegion(mask, &right, 0), 0);
    ASSERT_EQ(cid_mask_appendRegion(mask, &left, 0), 0);
    ASSERT_EQ(cid_mask_updateRegion(mask, 0, &edge, 0), 0);
    ASSERT_EQ(cid_mask_removeRegion(mask, -1, 0), 0);  // the second left goes: left is free
    EXPECT_EQ(pointAnswer(mask, {15, 15}, identity), 0);
    EXPECT_EQ(pointAnswer(mask, {45, 15}, identity), 1);
    EXPECT_EQ(pointAnswer(mask, {55, 35}, identity), 1);
    EXPECT_EQ(pointAnswer(mask, {66, 35}, identity), mask == &listed);
  }
  EXPECT_EQ(cid_mask_destruct(&painted), 0);
  EXPECT_EQ(cid_mask_destruct(&listed), 0);
  cimg_image_destruct(&source);
}

TEST(RegionMask, MarginsGrowOrShrinkThePaintedRectangle) {
  leakGuard guard;
  cimg_image source;
  ASSERT_EQ(cimg_image_construct(&source, CIMG_TYPE_8, 64, 48), 0);
  const cmath_xformLinear imageFromClient{{2, 0, 0, 2}, {0, 0}};
  ASSERT_EQ(cimg_image_setLinearImageFromClientXform(&source, &imageFromClient), 0);
  cid_mask mask;
  ASSERT_EQ(cid_mask_construct(&mask, &source), 0);
  // Pixels 20..40 x 20..32, grown by m on every side.
  const cid_region region = affineRegion(15, 13, 10, 6, 0, 0);
  auto claimedAt = [&](double ix, double iy) {
    return pointAnswer(&mask, {ix / 2, iy / 2}, identity);
  };
  for (const double margin : {3.0, -2.0}) {
    ASSERT_EQ(cid_mask_appendRegion(&mask, &region, margin), 0);
    const double x0 = 20 - margin, x1 = 40 + margin, y0 = 20 - margin, y1 = 32 + margin;
    EXPECT_TRUE(claimedAt(x0 + 0.2, y0 + 0.2) && claimedAt(x1 - 0.2, y1 - 0.2)) << margin;
    EXPECT_FALSE(claimedAt(x0 - 0.2, 26) || claimedAt(30, y1 + 0.2)) << margin;
    ASSERT_EQ(cid_mask_removeRegion(&mask, -1, margin), 0);
    EXPECT_EQ(claimedAt(x0 + 0.2, y0 + 0.2), 0) << margin;
  }
  EXPECT_EQ(cid_mask_destruct(&mask), 0);
  cimg_image_destruct(&source);
}

TEST(RegionMask, RegionQueriesFindClaimedCentresAndSameRectangles) {
  leakGuard guard;
  cid_mask mask;
  ASSERT_EQ(cid_mask_construct(&mask, nullptr), 0);
  // Stored in client units, asked in caller units of 2: a tolerance of 1 is 2 client units.
  const cid_region stored = affineRegion(30, 20, 16, 10, 0.3, 0.3),
                   asked = affineRegion(15, 10, 8, 5, 0.3, 0.3);
  ASSERT_EQ(cid_mask_appendRegion(&mask, &stored, 0), 0);
  const cmath_xformLinear clientFromCaller{{2, 0, 0, 2}, {0, 0}};
  auto answer = [&](const cid_region& caller) {
    int32_t result = -1;
    EXPECT_EQ(cid_mask_isRegionUnMasked(&mask, &caller, &clientFromCaller, 1, &result), 0);
    return result;
  };
  mask.testSame = 0;
  EXPECT_EQ(answer(affineRegion(16.5, 11, 20, 20, 1, 1)), 1);
  EXPECT_EQ(answer(affineRegion(22.5, 10, 2, 2, 0, 0)), 0);

  // The same rectangle flipped in Y and moved within the tolerance.
  mask.testCentre = 0;
  mask.testSame = 1;
  cid_region flipped, moved;
  cid_region_initFlipY(&flipped, &asked);
  const cmath_vect near{0.9, -0.9}, far{1.1, 0};
  cid_region_initShift(&moved, &near, &flipped);
  EXPECT_EQ(answer(moved), 1);
  cid_region_initShift(&moved, &far, &flipped);
  EXPECT_EQ(answer(moved), 0);
  mask.testSame = 0;
  EXPECT_CHECK_FAILS(answer(asked));
  EXPECT_EQ(cid_mask_destruct(&mask), 0);
}

TEST(RegionMask, UnboundSourcesAndRegionsThatAreNotFinite) {
  leakGuard guard;
  cimg_image source, unbound;
  ASSERT_EQ(cimg_image_construct(&source, CIMG_TYPE_8, 40, 30), 0);
  cimg_image_constructUnbound(&unbound);
  cid_mask mask;
  EXPECT_EQ(cid_mask_construct(&mask, &unbound), CIMG_STATUS_UNBOUND);
  const cid_region a = affineRegion(10, 10, 8, 6, 0.2, 0.2);

  // A region that is not finite is listed, then fails to paint.
  ASSERT_EQ(cid_mask_construct(&mask, &source), 0);
  cid_region broken = a;
  broken.Px.x = NAN;
  EXPECT_EQ(cid_mask_appendRegion(&mask, &broken, 0), CMATH_STATUS_NOT_FINITE);
  int32_t size = -1;
  EXPECT_TRUE(cstd_vector_cid_region_getSize(&mask.regions, &size) == 0 && size == 1);
  EXPECT_CHECK_FAILS(cid_mask_removeRegion(&mask, 1, 0));
  EXPECT_EQ(cid_mask_destruct(&mask), 0);
  cimg_image_destruct(&source);
}

}  // namespace
