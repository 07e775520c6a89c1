// The boundary tracker on synthetic shapes: closed and open contours, sub-pixel accuracy
// against the analytic outline, direction, limits and failures.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "kit/bt.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

// A tracker result released with the test.
struct trackedContour {
  cbt_result result;
  trackedContour() { cbt_result_construct(&result, 0); }
  ~trackedContour() { cbt_result_destruct(&result); }
  // Point i in continuous coordinates (pixel centres at half-integers).
  double x(int32_t i) const { return result.points[i].x / 256.0 + 0.5; }
  double y(int32_t i) const { return result.points[i].y / 256.0 + 0.5; }
};

// Run parameters for a seed on row `row` whose start point lies at column `from` and end
// point at column `to`.
cbt_runParams rowSeed(int32_t row, int32_t from, int32_t to, int32_t level, int32_t polarity) {
  cbt_runParams params;
  cbt_runParams_init(&params);
  params.startX = from * 256;
  params.startY = row * 256;
  params.endX = to * 256;
  params.endY = row * 256;
  params.level = level;
  params.polarity = polarity;
  return params;
}

// Signed area (shoelace) of the contour: its sign tells the direction of travel.
double signedArea(const trackedContour& c) {
  double area = 0;
  const int32_t n = c.result.numPoints;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t j = (i + 1) % n;
    area += c.x(i) * c.y(j) - c.x(j) * c.y(i);
  }
  return area / 2;
}

// Distance of a point from the outline of the axis-aligned square [a, b]^2.
double distanceToSquare(double x, double y, double a, double b) {
  const double dx = std::max({a - x, 0.0, x - b}), dy = std::max({a - y, 0.0, y - b});
  if (dx > 0 || dy > 0) return std::hypot(dx, dy);
  return std::min({x - a, b - x, y - a, b - y});
}

TEST(BoundaryTrack, SharpAndBlurredSquaresAreClosedAndAccurate) {
  for (double blur : {0.0, 1.5}) {
    greyScene scene(80, 60, 200);
    // A dark square with sub-pixel sides, on the 1/8 grid that paint samples exactly.
    const double a = 20.25, b = 50.625;
    scene.paint([&](double x, double y) { return x >= a && x < b && y >= a && y < b; }, 40);
    if (blur > 0) scene.gaussianBlur(blur);
    testImage image(scene);
    trackedContour contour;
    const cbt_runParams params = rowSeed(35, 53, 47, 120, 1);  // right side, dark-to-light
    ASSERT_EQ(cbt_boundaryTrack(image.constImage(), &params, &contour.result), 0);
    EXPECT_EQ(contour.result.flags, CBT_FLAG_USABLE);
    const int32_t n = contour.result.numPoints;
    EXPECT_GT(n, 4 * 30);
    double sum = 0;
    int32_t counted = 0;
    for (int32_t i = 0; i < n; ++i) {
      const double x = contour.x(i), y = contour.y(i);
      // Corners round off under blur; measure the sides away from them.
      if (std::min(std::abs(x - a), std::abs(x - b)) < 3 && std::min(std::abs(y - a), std::abs(y - b)) < 3)
        continue;
      sum += distanceToSquare(x, y, a, b);
      ++counted;
    }
    EXPECT_LT(sum / counted, 0.1) << "blur " << blur;
    // The area is the square's, and the direction of travel flips with the polarity.
    const double area = signedArea(contour);
    EXPECT_NEAR(std::abs(area), (b - a) * (b - a), (b - a) * 4);
    trackedContour reversed;
    const cbt_runParams flipped = rowSeed(35, 53, 47, 120, 0);
    ASSERT_EQ(cbt_boundaryTrack(image.constImage(), &flipped, &reversed.result), 0);
    EXPECT_EQ(reversed.result.numPoints, n);
    EXPECT_LT(signedArea(reversed) * area, 0);
  }
}

TEST(BoundaryTrack, RotatedRectanglesAtManyAngles) {
  for (double angle = 0.05; angle < 1.6; angle += 0.25) {
    const double c = std::cos(angle), s = std::sin(angle), cx = 60.3, cy = 59.8, hu = 30, hv = 18;
    auto frame = [&](double x, double y) {
      return std::pair{(x - cx) * c + (y - cy) * s, -(x - cx) * s + (y - cy) * c};
    };
    greyScene scene(120, 120, 190);
    scene.paint([&](double x, double y) {
      const auto [u, v] = frame(x, y);
      return std::abs(u) < hu && std::abs(v) < hv;
    }, 60);
    scene.gaussianBlur(1.0);
    testImage image(scene);
    // Seed on the row through the centre, on the rectangle's right side.
    int32_t edge = int32_t(cx);
    while (image.at(edge + 1, int32_t(cy)) < 125) ++edge;
    trackedContour contour;
    const cbt_runParams params = rowSeed(int32_t(cy), edge + 3, edge - 1, 125, 1);
    ASSERT_EQ(cbt_boundaryTrack(image.constImage(), &params, &contour.result), 0);
    ASSERT_EQ(contour.result.flags, CBT_FLAG_USABLE);
    double sum = 0;
    int32_t counted = 0;
    for (int32_t i = 0; i < contour.result.numPoints; ++i) {
      const auto [u, v] = frame(contour.x(i), contour.y(i));
      const double du = std::abs(u) - hu, dv = std::abs(v) - hv;
      if (du > -3 && dv > -3) continue;  // rounded corner
      sum += std::abs(std::max(du, dv));
      ++counted;
    }
    EXPECT_LT(sum / counted, 0.1) << "angle " << angle;
  }
}

TEST(BoundaryTrack, DiscOnBothPolarities) {
  for (bool darkOnLight : {true, false}) {
    const double dark = darkOnLight ? 30 : 220, light = darkOnLight ? 220 : 30;
    greyScene scene(100, 100, light);
    const double cx = 50.2, cy = 49.7, r = 18.4;
    scene.paint([&](double x, double y) { return std::hypot(x - cx, y - cy) < r; }, dark);
    scene.gaussianBlur(0.8);
    testImage image(scene);
    trackedContour contour;
    // A seed on the disc's left side, scanning left to right.
    const int32_t row = 50, x0 = int32_t(cx - r) - 1;
    const int32_t polarity = darkOnLight ? 0 : 1;  // the pixel before the edge
    const cbt_runParams params = rowSeed(row, x0 + 2, x0 - 1, 125, polarity);
    ASSERT_EQ(cbt_boundaryTrack(image.constImage(), &params, &contour.result), 0);
    ASSERT_EQ(contour.result.flags, CBT_FLAG_USABLE);
    double worst = 0, mean = 0;
    for (int32_t i = 0; i < contour.result.numPoints; ++i) {
      const double d = std::abs(std::hypot(contour.x(i) - cx, contour.y(i) - cy) - r);
      worst = std::max(worst, d);
      mean += d;
    }
    mean /= contour.result.numPoints;
    EXPECT_LT(mean, 0.1);
    EXPECT_LT(worst, 0.35);
    // A row seed leaves its row upwards, whatever the polarity.
    EXPECT_LT(contour.y(1), contour.y(0) + 0.01);
  }
}

TEST(BoundaryTrack, ShapeTouchingTheBorderIsOpenAndWhole) {
  greyScene scene(60, 40, 210);
  scene.paint([](double x, double y) { return x < 25 && y > 10 && y < 30; }, 20);  // cut at x = 0
  testImage image(scene);
  trackedContour contour;
  const cbt_runParams params = rowSeed(20, 27, 23, 115, 1);
  ASSERT_EQ(cbt_boundaryTrack(image.constImage(), &params, &contour.result), 0);
  EXPECT_EQ(contour.result.flags, CBT_FLAG_USABLE | CBT_FLAG_OPEN);
  const int32_t n = contour.result.numPoints;
  // Both ends lie at the left border (the pixel centre x = 0 plus less than a pixel).
  EXPECT_LT(contour.x(0), 1.5);
  EXPECT_LT(contour.x(n - 1), 1.5);
  EXPECT_NEAR(n, 2 * 25 + 20, 4);
  // Consecutive points are neighbours: the backward half was joined in order.
  for (int32_t i = 1; i < n; ++i)
    ASSERT_LT(std::hypot(contour.x(i) - contour.x(i - 1), contour.y(i) - contour.y(i - 1)), 1.5) << i;

  // The adaptive run tells its caller to leave the points at the border unmarked, and to
  // mark nothing of a contour cut at the point limit.
  cbt_runParams adaptive = params;
  adaptive.strength = 3 * 190;
  trackedContour marked;
  marked.result.markMode = CBT_MARK_ALL;
  ASSERT_EQ(cbt_boundaryTrack_Adaptive(image.constImage(), &adaptive, 0, &marked.result), 0);
  EXPECT_EQ(marked.result.markMode, CBT_MARK_ALL_BUT_LAST_10);
  adaptive.maxPoints = 10;
  marked.result.markMode = CBT_MARK_ALL;
  ASSERT_EQ(cbt_boundaryTrack_Adaptive(image.constImage(), &adaptive, 0, &marked.result), 0);
  EXPECT_EQ(marked.result.markMode, CBT_MARK_NONE);

  cbt_runParams forwardOnly = params;
  forwardOnly.followOpen = 0;
  trackedContour half;
  ASSERT_EQ(cbt_boundaryTrack(image.constImage(), &forwardOnly, &half.result), 0);
  EXPECT_LT(half.result.numPoints, n);
  EXPECT_EQ(half.result.flags, CBT_FLAG_USABLE | CBT_FLAG_OPEN);
}

TEST(BoundaryTrack, LimitsAndFailures) {
  greyScene scene(64, 64, 200);
  scene.paint([](double x, double y) { return std::hypot(x - 32, y - 32) < 20; }, 50);
  testImage image(scene);
  trackedContour contour;
  cbt_runParams params = rowSeed(32, 14, 10, 125, 0);
  params.maxPoints = 40;
  ASSERT_EQ(cbt_boundaryTrack(image.constImage(), &params, &contour.result), 0);
  EXPECT_EQ(contour.result.numPoints, 40);
  EXPECT_EQ(contour.result.flags, CBT_FLAG_USABLE | CBT_FLAG_REJECTED);

  params.maxPoints = 16379;
  params.minPoints = 1000;
  ASSERT_EQ(cbt_boundaryTrack(image.constImage(), &params, &contour.result), 0);
  EXPECT_EQ(contour.result.flags, CBT_FLAG_USABLE | CBT_FLAG_REJECTED);

  // A start segment that crosses nothing, or leaves the image.
  params = rowSeed(5, 8, 2, 125, 0);
  EXPECT_EQ(cbt_boundaryTrack(image.constImage(), &params, &contour.result), CBT_STATUS_NO_BOUNDARY);
  params = rowSeed(32, 2, -3, 125, 0);
  EXPECT_EQ(cbt_boundaryTrack(image.constImage(), &params, &contour.result), CBT_STATUS_NO_BOUNDARY);

  // Growing the point buffer fails cleanly.
  trackedContour fresh;
  params = rowSeed(32, 14, 10, 125, 0);
  csys_memory_failAllocation(1);
  EXPECT_EQ(cbt_boundaryTrack(image.constImage(), &params, &fresh.result), CSYS_STATUS_NO_MEMORY);
  csys_memory_failAllocation(0);

  cimg_imageConst unbound;
  cimg_imageConst_constructUnbound(&unbound);
  EXPECT_EQ(cbt_boundaryTrack(&unbound, &params, &contour.result), CIMG_STATUS_UNBOUND);
  cimg_imageConst_destruct(&unbound);
  EXPECT_CHECK_FAILS(cbt_boundaryTrack(image.constImage(), nullptr, &contour.result));
}

TEST(BoundaryTrack, AdaptiveLevelFollowsAnEdgeUnderAStrongGradient) {
  // A dark square under lighting that falls from left to right to a fifth: at a fixed
  // level the right side of the square is as dark as the background left of it.
  greyScene scene(120, 80, 220);
  scene.paint([](double x, double y) { return x >= 30 && x < 90 && y >= 15 && y < 65; }, 80);
  scene.light([](double x, double) { return 1.0 - 0.8 * x / 120; });
  testImage image(scene);
  const int32_t row = 40;
  // The seed on the square's left edge; its level is the local mean there.
  cbt_runParams params = rowSeed(row, 31, 28, 140, 0);
  trackedContour fixed;
  ASSERT_EQ(cbt_boundaryTrack(image.constImage(), &params, &fixed.result), 0);
  params.strength = 3 * 100;
  params.adaptive = 1;
  trackedContour adaptive;
  adaptive.result.markMode = CBT_MARK_ALL;
  ASSERT_EQ(cbt_boundaryTrack_Adaptive(image.constImage(), &params, 0, &adaptive.result), 0);
  EXPECT_EQ(adaptive.result.flags, CBT_FLAG_USABLE);
  EXPECT_EQ(adaptive.result.markMode, CBT_MARK_ALL);
  double maxX = 0;
  for (int32_t i = 0; i < adaptive.result.numPoints; ++i) maxX = std::max(maxX, adaptive.x(i));
  EXPECT_NEAR(maxX, 90, 1.0);  // reached the far side of the square
  EXPECT_NE(fixed.result.flags, CBT_FLAG_USABLE);  // the fixed level could not close it
}

}  // namespace
