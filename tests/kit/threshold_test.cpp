// Kit WGV thresholds against a brute-force search over exact within-group sums of squares;
// worked cases, exact ties at counts too large for floating point, the image entry point.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "kit/thresh.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

using u128 = unsigned __int128;

// sum / count^2 for one class: sum = sum of h(i) (i count - levelSum)^2.
struct fraction {
  u128 numerator;
  u128 denominator;
};

// Within-group sum of squares of the split at t (dark levels low .. t - 1, light t .. high)
// as numerator / denominator. Exact for totals up to 4096 pixels.
fraction withinGroup(const std::vector<uint32_t>& h, int32_t low, int32_t high, int32_t t) {
  u128 spread[2] = {0, 0}, count[2] = {0, 0};
  int64_t levelSum[2] = {0, 0};
  for (int32_t i = low; i <= high; ++i) {
    count[i >= t] += h[size_t(i)];
    levelSum[i >= t] += int64_t(h[size_t(i)]) * i;
  }
  for (int32_t i = low; i <= high; ++i) {
    const int64_t d = i * int64_t(count[i >= t]) - levelSum[i >= t];
    spread[i >= t] += u128(h[size_t(i)]) * u128(d * d);
  }
  return {spread[0] * count[1] * count[1] + spread[1] * count[0] * count[0],
          count[0] * count[0] * count[1] * count[1]};
}

bool less(const fraction& a, const fraction& b) {
  return a.numerator * b.denominator < b.numerator * a.denominator;
}

struct expectedThreshold {
  int32_t middle;
  int32_t lowest;
};

// The thresholds leaving both classes occupied that give the least within-group sum: the
// first run of consecutive ones, its middle and its first.
expectedThreshold bruteForce(const std::vector<uint32_t>& h, int32_t low, int32_t high) {
  int32_t first = -1, last = -1;
  for (int32_t i = low; i <= high; ++i) {
    if (h[size_t(i)] == 0) continue;
    if (first < 0) first = i;
    last = i;
  }
  fraction best{0, 0};
  int32_t runStart = -1, runEnd = -1;
  bool inRun = false;
  for (int32_t t = first + 1; t <= last; ++t) {
    const fraction f = withinGroup(h, low, high, t);
    if (runStart < 0 || less(f, best)) {
      best = f;
      runStart = runEnd = t;
      inRun = true;
    } else if (!less(best, f) && inRun) {
      runEnd = t;
    } else {
      inRun = false;
    }
  }
  return {(runStart + runEnd) / 2, runStart};
}

cip_threshResult thresholdOf(const std::vector<uint32_t>& h, int32_t low, int32_t high,
                             int32_t tieRule) {
  cip_threshParams params;
  cip_threshParams_init(&params);
  params.tieRule = tieRule;
  cip_threshResult result;
  EXPECT_EQ(cip_threshComputeWGVThresholdFromHistogram(h.data(), int32_t(h.size()) - 1, low, high,
                                                       &params, &result),
            0);
  return result;
}

TEST(KitThreshold, MatchesABruteForceWithinGroupSearch) {
  std::mt19937 random(21);
  for (int trial = 0; trial < 400; ++trial) {
    std::vector<uint32_t> h(256, 0);
    // Sparse, dense and mirror-symmetric histograms; the symmetric ones tie mirrored splits.
    const int32_t occupied = 2 + int32_t(random() % (trial % 3 == 0 ? 6 : 60));
    const int32_t span = 2 + int32_t(random() % 254), base = int32_t(random() % (256 - span));
    for (int32_t k = 0; k < occupied; ++k) {
      const int32_t level = base + int32_t(random() % span);
      const uint32_t count = 1 + uint32_t(random() % 30);
      h[size_t(level)] += count;
      if (trial % 4 == 1) h[size_t(2 * base + span - 1 - level)] += count;
    }
    int32_t low = int32_t(random() % 256), high = int32_t(random() % 256);
    if (trial % 2 || low > high) low = 0, high = 255;
    int32_t inRange = 0;
    for (int32_t i = low; i <= high; ++i) inRange += h[size_t(i)] != 0;
    if (inRange < 2) continue;

    const expectedThreshold expected = bruteForce(h, low, high);
    const cip_threshResult middle = thresholdOf(h, low, high, CIP_THRESH_TIE_MIDDLE);
    const cip_threshResult lowest = thresholdOf(h, low, high, CIP_THRESH_TIE_LOWEST);
    ASSERT_EQ(middle.threshold, expected.middle) << "trial " << trial;
    ASSERT_EQ(lowest.threshold, expected.lowest) << "trial " << trial;
    ASSERT_EQ(middle.valid, 1);
  }
}

TEST(KitThreshold, WorkedCasesTiesAndDegenerateHistograms) {
  // Two levels 10 and 200: every threshold 11 .. 200 splits them alike.
  std::vector<uint32_t> h(256, 0);
  h[10] = 300;
  h[200] = 100;
  cip_threshResult r = thresholdOf(h, 0, 255, CIP_THRESH_TIE_MIDDLE);
  EXPECT_EQ(r.threshold, 105);
  EXPECT_EQ(r.valid, 1);
  EXPECT_DOUBLE_EQ(r.separability, 1.0);
  EXPECT_DOUBLE_EQ(r.darkMean, 10.0);
  EXPECT_DOUBLE_EQ(r.lightMean, 200.0);
  EXPECT_EQ(thresholdOf(h, 0, 255, CIP_THRESH_TIE_LOWEST).threshold, 11);
  r = thresholdOf(h, 5, 220, CIP_THRESH_TIE_MIDDLE);  // means from a range not at 0
  EXPECT_EQ(r.threshold, 105);
  EXPECT_DOUBLE_EQ(r.darkMean, 10.0);
  EXPECT_DOUBLE_EQ(r.lightMean, 200.0);
  // Levels outside low .. high do not take part: 10 alone is left.
  r = thresholdOf(h, 0, 150, CIP_THRESH_TIE_MIDDLE);
  EXPECT_EQ(r.threshold, 10);
  EXPECT_EQ(r.valid, 0);
  EXPECT_EQ(r.separability, 0.0);
  r = thresholdOf(h, 11, 199, CIP_THRESH_TIE_MIDDLE);
  EXPECT_EQ(r.threshold, 11);
  EXPECT_EQ(r.valid, 0);

  // Levels 0, 1 and 4 with 13, 26 and 1 pixels: the splits {0 | 1, 4} and {0, 1 | 4} are
  // equally good (1300/3 each, from sums three times apart). Scaled by 3^17 the sums no
  // longer fit a floating-point mantissa, and the tie must still be found: thresholds 1 .. 4.
  const uint32_t scale = 129140163;
  std::vector<uint32_t> tie(65536, 0);
  tie[1000] = 13 * scale;
  tie[1001] = 26 * scale;
  tie[1004] = scale;
  EXPECT_EQ(thresholdOf(tie, 0, 65535, CIP_THRESH_TIE_MIDDLE).threshold, 1002);
  EXPECT_EQ(thresholdOf(tie, 0, 65535, CIP_THRESH_TIE_LOWEST).threshold, 1001);
  // Every bin of 65536 full: the halves split at 32768, and nothing overflows.
  std::vector<uint32_t> full(65536, 0xffffffffu);
  r = thresholdOf(full, 0, 65535, CIP_THRESH_TIE_MIDDLE);
  EXPECT_EQ(r.threshold, 32768);
  EXPECT_NEAR(r.separability, 0.75, 1e-9);
  EXPECT_NEAR(r.darkMean, 16383.5, 1e-6);
}

TEST(KitThreshold, ImageWindowsAndArgumentErrors) {
  // A dark disc on a light ground; the window holds only part of it.
  greyScene scene(60, 40, 200);
  scene.paint([](double x, double y) { return (x - 20) * (x - 20) + (y - 20) * (y - 20) < 144; },
              40);
  scene.addNoise(6, 3);
  testImage image(scene);
  ASSERT_EQ(cimg_image_window(image.image(), 5, 5, 40, 30, 0), 0);
  std::vector<uint32_t> h(256, 0);
  for (int32_t y = 0; y < 30; ++y)
    for (int32_t x = 0; x < 40; ++x) ++h[image.at(x, y)];
  cip_threshParams params;
  ASSERT_EQ(cip_threshParams_init(&params), 0);
  EXPECT_EQ(params.tieRule, CIP_THRESH_TIE_MIDDLE);
  cip_threshResult result;
  ASSERT_EQ(cip_threshComputeWGVThresholdFromImage(image.constImage(), &params, &result), 0);
  EXPECT_EQ(result.threshold, bruteForce(h, 0, 255).middle);

  cimg_imageConst unbound;
  cimg_imageConst_constructUnbound(&unbound);
  EXPECT_EQ(cip_threshComputeWGVThresholdFromImage(&unbound, &params, &result),
            CIMG_STATUS_UNBOUND);
  EXPECT_CHECK_FAILS(
      cip_threshComputeWGVThresholdFromHistogram(h.data(), 255, 10, 9, &params, &result));
  params.tieRule = 2;
  EXPECT_CHECK_FAILS(
      cip_threshComputeWGVThresholdFromHistogram(h.data(), 255, 0, 255, &params, &result));
}

}  // namespace
