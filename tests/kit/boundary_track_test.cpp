// The boundary tracker on synthetic shapes: closed and open contours, accuracy, limits.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "kit/bt.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

// A tracker result released with the test.
struct trackedContour {
  cbt_result result;
  trackedContour() { cbt_result_construct(&result, 0); }
  ~trackedContour() { cbt_result_destruct(&result); }
  int32_t track(const testImage& image, const cbt_runParams& params) {
    return cbt_boundaryTrack(image.constImage(), &params, &result);
  }
  int32_t trackAdaptive(const testImage& image, const cbt_runParams& params) {
    return cbt_boundaryTrack_Adaptive(image.constImage(), &params, 0, &result);
  }
  // Point i in continuous coordinates (pixel centres at half-integers).
  double x(int32_t i) const { return result.points[i].x / 256.0 + 0.5; }
  double y(int32_t i) const { return result.points[i].y / 256.0 + 0.5; }
};

// Run parameters for a seed on `row` from column `from` to column `to`.
cbt_runParams rowSeed(int32_t row, int32_t from, int32_t to, int32_t level, int32_t polarity) {
  cbt_runParams params;
  cbt_runParams_init(&params);
  params.startX = from * 256;
  params.endX = to * 256;
  params.startY = params.endY = row * 256;
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

// Mean and largest distance(x, y) over the contour's points; NaN distances are skipped.
std::pair<double, double> distances(const trackedContour& c,
                                    const std::function<double(double, double)>& distance) {
  double sum = 0, worst = 0;
  int32_t counted = 0;
  for (int32_t i = 0; i < c.result.numPoints; ++i) {
    const double d = distance(c.x(i), c.y(i));
    if (std::isnan(d)) continue;
    sum += d;
    worst = std::max(worst, d);
    ++counted;
  }
  return {sum / counted, worst};
}

TEST(BoundaryTrack, SharpBlurredAndRotatedRectanglesAreClosedAndAccurate) {
  struct rectangle {
    double blur, angle, cx, cy, hu, hv;
  };
  // A sharp square with sub-pixel sides that paint samples exactly, a blurred rotated one.
  const rectangle shapes[] = {{0, 0, 35.4375, 35.4375, 15.1875, 15.1875},
                              {1, 0.55, 60.3, 59.8, 30, 18}};
  for (const rectangle& r : shapes) {
    const double c = std::cos(r.angle), s = std::sin(r.angle);
    auto frame = [&](double x, double y) {
      return std::pair{(x - r.cx) * c + (y - r.cy) * s, -(x - r.cx) * s + (y - r.cy) * c};
    };
    greyScene scene(120, 120, 195);
    scene.paint(
        [&](double x, double y) {
          const auto [u, v] = frame(x, y);
          return std::abs(u) < r.hu && std::abs(v) < r.hv;
        },
        50);
    if (r.blur > 0) scene.gaussianBlur(r.blur);
    testImage image(scene);
    // Seed on the row through the centre, on the right side, dark to light.
    const int32_t row = int32_t(r.cy);
    int32_t edge = int32_t(r.cx);
    while (image.at(edge + 1, row) < 122) ++edge;
    trackedContour contour;
    const cbt_runParams params = rowSeed(row, edge + 3, edge - 1, 122, 1);
    ASSERT_EQ(contour.track(image, params), 0);
    ASSERT_EQ(contour.result.flags, CBT_FLAG_USABLE);
    const auto [mean, worst] = distances(contour, [&](double x, double y) {
      const auto [u, v] = frame(x, y);
      const double du = std::abs(u) - r.hu, dv = std::abs(v) - r.hv;
      return du > -3 && dv > -3 ? NAN : std::abs(std::max(du, dv));  // corners round off
    });
    EXPECT_LT(mean, 0.1) << "blur " << r.blur << " angle " << r.angle;
    // The area is the rectangle's, and the direction of travel flips with the polarity.
    const double area = signedArea(contour);
    EXPECT_NEAR(std::abs(area), 4 * r.hu * r.hv, 4 * (r.hu + r.hv));
    trackedContour reversed;
    const cbt_runParams flipped = rowSeed(row, edge + 3, edge - 1, 122, 0);
    ASSERT_EQ(reversed.track(image, flipped), 0);
    EXPECT_EQ(reversed.result.numPoints, contour.result.numPoints);
    EXPECT_LT(signedArea(reversed) * area, 0);
    // This seed leaves its row upwards.
    EXPECT_LT(contour.y(1), contour.y(0) + 0.01);
  }
}

TEST(BoundaryTrack, ShapeTouchingTheBorderIsOpenAndWhole) {
  greyScene scene(60, 40, 210);
  scene.paint([](double x, double y) { return x < 25 && y > 10 && y < 30; }, 20);  // cut at x = 0
  testImage image(scene);
  trackedContour contour;
  const cbt_runParams params = rowSeed(20, 27, 23, 115, 1);
  ASSERT_EQ(contour.track(image, params), 0);
  EXPECT_EQ(contour.result.flags, CBT_FLAG_USABLE | CBT_FLAG_OPEN);
  const int32_t n = contour.result.numPoints;
  // Both ends lie at the left border (the pixel centre x = 0 plus less than a pixel).
  EXPECT_LT(contour.x(0), 1.5);
  EXPECT_LT(contour.x(n - 1), 1.5);
  EXPECT_NEAR(n, 2 * 25 + 20, 4);
  for (int32_t i = 1; i < n; ++i)  // neighbours throughout: the halves joined in order
    ASSERT_LT(std::hypot(contour.x(i) - contour.x(i - 1), contour.y(i) - contour.y(i - 1)), 1.5);

  // The adaptive run tells its caller to leave the points at the border unmarked, and to
  // mark all of a contour cut at the point limit (a seed on it would walk it again).
  cbt_runParams adaptive = params;
  adaptive.strength = 3 * 190;
  trackedContour marked;
  marked.result.markMode = CBT_MARK_ALL;
  ASSERT_EQ(marked.trackAdaptive(image, adaptive), 0);
  EXPECT_EQ(marked.result.markMode, CBT_MARK_ALL_BUT_LAST_10);
  adaptive.maxPoints = 10;
  marked.result.markMode = CBT_MARK_ALL;
  ASSERT_EQ(marked.trackAdaptive(image, adaptive), 0);
  EXPECT_EQ(marked.result.flags & CBT_FLAG_REJECTED, CBT_FLAG_REJECTED);
  EXPECT_EQ(marked.result.markMode, CBT_MARK_ALL);
}

TEST(BoundaryTrack, LimitsAndArguments) {
  greyScene scene(64, 64, 200);
  scene.paint([](double x, double y) { return std::hypot(x - 32, y - 32) < 20; }, 50);
  testImage image(scene);
  trackedContour contour;
  cbt_runParams params = rowSeed(32, 14, 10, 125, 0);
  params.maxPoints = 40;
  ASSERT_EQ(contour.track(image, params), 0);
  EXPECT_EQ(contour.result.numPoints, 40);
  EXPECT_EQ(contour.result.flags, CBT_FLAG_USABLE | CBT_FLAG_REJECTED);

  // A start segment that crosses nothing.
  params = rowSeed(5, 8, 2, 125, 0);
  EXPECT_EQ(contour.track(image, params), CBT_STATUS_NO_BOUNDARY);

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
  ASSERT_EQ(fixed.track(image, params), 0);
  params.strength = 3 * 100;
  params.adaptive = 1;
  trackedContour adaptive;
  adaptive.result.markMode = CBT_MARK_ALL;
  ASSERT_EQ(adaptive.trackAdaptive(image, params), 0);
  EXPECT_EQ(adaptive.result.flags, CBT_FLAG_USABLE);
  EXPECT_EQ(adaptive.result.markMode, CBT_MARK_ALL);
  double maxX = 0;
  for (int32_t i = 0; i < adaptive.result.numPoints; ++i) maxX = std::max(maxX, adaptive.x(i));
  EXPECT_NEAR(maxX, 90, 1.0);                      // reached the far side of the square
  EXPECT_NE(fixed.result.flags, CBT_FLAG_USABLE);  // the fixed level could not close it
}
}  // namespace
