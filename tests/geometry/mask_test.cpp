// Region masks: point answers against a reference, margins, region queries, failures.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>
#include <vector>

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

cid_region mapped(const cmath_xformLinear& xform, const cid_region& region) {
  cid_region out;
  EXPECT_EQ(cid_region_initMap(&out, &xform, &region), 0);
  return out;
}

cmath_xformLinear inverse(const cmath_xformLinear& xform) {
  cmath_xformLinear out;
  EXPECT_EQ(cmath_xformLinear_getInverse(&xform, &out), 0);
  return out;
}

// The signed distance of p from the parallelogram's nearest side, positive inside.
double insideBy(const cid_region& r, const cmath_vect& p) {
  const cmath_vect q[4] = {r.Po, r.Px, r.Popp, r.Py};
  const double sense =
      (r.Px.x - r.Po.x) * (r.Py.y - r.Po.y) - (r.Px.y - r.Po.y) * (r.Py.x - r.Po.x) > 0 ? 1 : -1;
  double nearest = INFINITY;
  for (int k = 0; k < 4; ++k) {
    const double dx = q[(k + 1) % 4].x - q[k].x, dy = q[(k + 1) % 4].y - q[k].y;
    nearest =
        std::min(nearest, sense * (dx * (p.y - q[k].y) - dy * (p.x - q[k].x)) / std::hypot(dx, dy));
  }
  return nearest;
}

int32_t pointAnswer(const cid_mask* mask, const cmath_vect& p, const cmath_xformLinear& xform) {
  int32_t answer = -1;
  EXPECT_EQ(cid_mask_isPointUnMasked(mask, &p, &xform, &answer), 0);
  return answer;
}

const cmath_xformLinear identity{{1, 0, 0, 1}, {0, 0}};

TEST(RegionMask, PointAnswersFollowTheClaimedRegions) {
  leakGuard guard;
  // The mask covers the source's window; image, client and caller coordinates differ.
  const cstd_rect32 entire{-20, 10, 160, 120}, window{-10, 15, 120, 90};
  cimg_image source;
  ASSERT_EQ(cimg_image_constructRect(&source, CIMG_TYPE_8, &entire), 0);
  ASSERT_EQ(cimg_image_setWindowRect(&source, &window, nullptr), 0);
  const cmath_xformLinear imageFromClient{{1.47, -0.3, 0.3, 1.47}, {3, -2}};
  ASSERT_EQ(cimg_image_setLinearImageFromClientXform(&source, &imageFromClient), 0);
  const cmath_xformLinear clientFromImage = inverse(imageFromClient);
  const cmath_xformLinear clientFromCaller{{0.46, 0.19, -0.19, 0.46}, {10, 4}};
  cmath_xformLinear callerFromImage;
  const cmath_xformLinear callerFromClient = inverse(clientFromCaller);
  cmath_xformLinear_initCompose(&callerFromImage, &callerFromClient, &clientFromImage);
  cid_mask painted, listed;
  ASSERT_EQ(cid_mask_construct(&painted, &source), 0);
  ASSERT_EQ(cid_mask_construct(&listed, nullptr), 0);

  std::vector<cid_region> current;
  std::vector<std::pair<cid_region, bool>> paints;  // region, claimed (else cleared)
  std::mt19937 random(3);
  std::uniform_real_distribution<double> x(-20, 120), y(5, 115), length(5, 40), angle(-3, 3),
      skew(-0.4, 0.4);
  // Appends, then removals and updates by index and as the last region.
  std::vector<std::pair<char, int32_t>> changes(10, {'a', 0});
  changes.insert(changes.end(), {{'r', 3}, {'r', -1}, {'u', 0}, {'u', -1}, {'a', 0}});
  for (const auto& [op, index] : changes) {
    const double rotation = angle(random);
    const cid_region r = affineRegion(x(random), y(random), length(random), length(random),
                                      rotation, rotation + skew(random));
    const cid_region client = mapped(clientFromImage, r);
    for (cid_mask* mask : {&painted, &listed}) {
      ASSERT_EQ(op == 'a'   ? cid_mask_appendRegion(mask, &client, 0)
                : op == 'r' ? cid_mask_removeRegion(mask, index, 0)
                            : cid_mask_updateRegion(mask, index, &client, 0),
                0);
    }
    const size_t at = index == -1 ? current.size() - 1 : size_t(index);
    if (op != 'a') paints.emplace_back(current[at], false);
    if (op != 'r') paints.emplace_back(r, true);
    if (op == 'a') current.push_back(r);
    if (op == 'r') current.erase(current.begin() + at);
    if (op == 'u') current[at] = r;
  }

  int counts[2] = {0, 0}, claimedBeyondImage = 0;
  for (double py = window.y - 4; py < window.y + window.height + 4; py += 0.53) {
    for (double px = window.x - 4; px < window.x + window.width + 4; px += 0.61) {
      const cmath_vect p{px, py};
      cmath_vect caller;
      cmath_xformLinear_mapPoint(&callerFromImage, &p, &caller);
      bool listedClaimed = false;
      for (const cid_region& r : current) listedClaimed |= insideBy(r, p) > 0;
      EXPECT_EQ(pointAnswer(&listed, caller, clientFromCaller), listedClaimed) << px << ", " << py;
      // Painted: 0 beyond the image; inside, the last paint over the pixel decides.
      if (px < window.x || px >= window.x + window.width || py < window.y ||
          py >= window.y + window.height) {
        EXPECT_EQ(pointAnswer(&painted, caller, clientFromCaller), 0) << px << ", " << py;
        claimedBeyondImage += listedClaimed;
        continue;
      }
      bool claimed = false, nearBorder = false;
      for (const auto& [r, claim] : paints) {
        nearBorder |= std::fabs(insideBy(r, p)) < 0.75;
        if (insideBy(r, p) > 0) claimed = claim;
      }
      if (nearBorder) continue;
      EXPECT_EQ(pointAnswer(&painted, caller, clientFromCaller), claimed) << px << ", " << py;
      ++counts[claimed];
    }
  }
  EXPECT_TRUE(counts[0] > 1000 && counts[1] > 1000 && claimedBeyondImage > 20);
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
    EXPECT_FALSE(claimedAt(x0 - 0.2, 26) || claimedAt(x1 + 0.2, 26)) << margin;
    EXPECT_FALSE(claimedAt(30, y0 - 0.2) || claimedAt(30, y1 + 0.2)) << margin;
    ASSERT_EQ(cid_mask_removeRegion(&mask, -1, margin), 0);
    EXPECT_EQ(claimedAt(x0 + 0.2, y0 + 0.2), 0) << margin;
  }
  ASSERT_EQ(cid_mask_appendRegion(&mask, &region, -8), 0);
  EXPECT_EQ(claimedAt(30, 26), 0);
  EXPECT_EQ(cid_mask_destruct(&mask), 0);
  cimg_image_destruct(&source);
}

TEST(RegionMask, RegionQueriesFindClaimedCentresAndSameRectangles) {
  leakGuard guard;
  cid_mask mask;
  ASSERT_EQ(cid_mask_construct(&mask, nullptr), 0);
  const cid_region stored = affineRegion(30, 20, 16, 10, 0.3, 0.3);
  ASSERT_EQ(cid_mask_appendRegion(&mask, &stored, 0), 0);
  // A tolerance of 1 caller unit is 2 client units.
  const cmath_xformLinear clientFromCaller{{1.53, -1.29, 1.29, 1.53}, {-5, 3}};
  const cmath_xformLinear callerFromClient = inverse(clientFromCaller);
  auto answer = [&](const cid_region& client) {
    const cid_region caller = mapped(callerFromClient, client);
    int32_t result = -1;
    EXPECT_EQ(cid_mask_isRegionUnMasked(&mask, &caller, &clientFromCaller, 1, &result), 0);
    return result;
  };
  mask.testSame = 0;
  EXPECT_EQ(answer(affineRegion(33, 22, 40, 40, 1, 1)), 1);
  EXPECT_EQ(answer(affineRegion(45, 20, 4, 4, 0, 0)), 0);

  // The same rectangle flipped in Y and moved within the tolerance; not a quarter turn.
  mask.testCentre = 0;
  mask.testSame = 1;
  cid_region flipped, moved, turned;
  cid_region_initFlipY(&flipped, &stored);
  const cmath_vect near{1.8, -1.8}, far{2.2, 0};
  cid_region_initShift(&moved, &near, &flipped);
  EXPECT_EQ(answer(moved), 1);
  cid_region_initShift(&moved, &far, &flipped);
  EXPECT_EQ(answer(moved), 0);
  cid_region_initRotatePoints(&turned, 1, &stored);
  EXPECT_EQ(answer(turned), 0);
  mask.testSame = 0;
  EXPECT_CHECK_FAILS(answer(stored));
  EXPECT_EQ(cid_mask_destruct(&mask), 0);
}

TEST(RegionMask, FailuresPassStatusesOnAndLeaveNothing) {
  leakGuard guard;
  cimg_image source, unbound;
  ASSERT_EQ(cimg_image_construct(&source, CIMG_TYPE_8, 40, 30), 0);
  cimg_image_constructUnbound(&unbound);
  cid_mask mask;
  EXPECT_EQ(cid_mask_construct(&mask, &unbound), CIMG_STATUS_UNBOUND);
  const cid_region a = affineRegion(10, 10, 8, 6, 0.2, 0.2), b = affineRegion(20, 14, 9, 5, 1, 1);
  const int failures = driveAllocationFailures([&] {
    cid_mask m;
    int32_t status = cid_mask_construct(&m, &source);
    if (status < 0) return status;
    for (const cid_region* r : {&a, &b, &a})
      if (status >= 0) status = cid_mask_appendRegion(&m, r, 1);
    if (status >= 0) status = cid_mask_updateRegion(&m, 1, &a, 1);
    if (status >= 0) status = cid_mask_removeRegion(&m, 0, 1);
    const int32_t destructed = cid_mask_destruct(&m);
    return status < 0 ? status : destructed;
  });
  EXPECT_GE(failures, 3);

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

TEST(RegionMask, TheNullMaskIgnoresChangesAndClaimsNothing) {
  leakGuard guard;
  const cid_region r = affineRegion(1, 1, 1, 1, 0, 0);
  int32_t answer = -1;
  EXPECT_EQ(cid_mask_appendRegion(nullptr, &r, 1), 0);
  EXPECT_EQ(pointAnswer(nullptr, {1, 1}, identity), 0);
  EXPECT_EQ(cid_mask_isRegionUnMasked(nullptr, &r, &identity, 1, &answer), 0);
  EXPECT_EQ(answer, 0);
  EXPECT_CHECK_FAILS(cid_mask_construct(nullptr, nullptr));
}

}  // namespace
