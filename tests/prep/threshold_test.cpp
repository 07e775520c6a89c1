// Histogram thresholds against exhaustive and sorted-pixel references, dark/light
// statistics of known histograms, and the sharpness of sharp, blurred and flat scenes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "ci_id/priv/ci_idut/prep.h"
#include "support/held_image.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

using histogram = std::vector<uint32_t>;

struct exactSplit {
  int32_t threshold;
  double quality;
};

// Tries every threshold T (the first level of the upper class) and keeps the first with
// the greatest between-class variance, compared exactly: with w and s the count and level
// sum below T, N and S the totals, N^2 x that variance is (S w - s N)^2 / (w (N - w)).
exactSplit bestSplit(const histogram& h) {
  using wide = __int128;
  int64_t n = 0, s = 0, s2 = 0;
  for (size_t i = 0; i < h.size(); ++i) {
    n += h[i];
    s += int64_t(h[i]) * int64_t(i);
    s2 += int64_t(h[i]) * int64_t(i * i);
  }
  int64_t w = 0, m = 0;
  wide bestNumerator = -1, bestDenominator = 1;
  int32_t best = -1;
  for (size_t t = 1; t < h.size(); ++t) {
    w += h[t - 1];
    m += int64_t(h[t - 1]) * int64_t(t - 1);
    if (w == 0 || w == n) continue;
    const wide separation = wide(s) * w - wide(m) * n;
    const wide numerator = separation * separation, denominator = wide(w) * (n - w);
    if (best < 0 || numerator * bestDenominator > bestNumerator * denominator) {
      best = int32_t(t);
      bestNumerator = numerator;
      bestDenominator = denominator;
    }
  }
  const double spread = double(s2) * double(n) - double(s) * double(s);
  return {best, double(bestNumerator) / double(bestDenominator) / spread};
}

TEST(ThresholdHistogram, WorkedCasesAndExhaustiveSearch) {
  histogram h(256, 0);
  h[20] = 100;
  h[200] = 100;
  cid_thresholdResult result{9, 9.0, 9};
  ASSERT_EQ(cid_thresholdHist(h.data(), 256, &result), 0);
  EXPECT_EQ(std::tie(result.valid, result.threshold, result.quality), std::tuple(1, 21, 1.0));

  histogram single(256, 0);
  single[77] = 5;
  ASSERT_EQ(cid_thresholdHist(single.data(), 256, &result), 0);
  EXPECT_EQ(std::tie(result.valid, result.threshold, result.quality), std::tuple(1, 77, 0.0));

  std::mt19937 random(5);
  for (int trial = 0; trial < 90; ++trial) {
    const int32_t bins = trial % 3 == 0 ? 256 : 2 + trial % 40;
    std::uniform_int_distribution<uint32_t> count(0, trial % 2 ? 50 : 5000);
    std::bernoulli_distribution empty(0.4);
    histogram r(size_t(bins), 0);
    for (uint32_t& c : r) c = empty(random) ? 0 : count(random);
    if (std::count_if(r.begin(), r.end(), [](uint32_t c) { return c > 0; }) < 2) continue;
    const exactSplit expected = bestSplit(r);
    ASSERT_EQ(cid_thresholdHist(r.data(), bins, &result), 0);
    EXPECT_EQ(result.threshold, expected.threshold) << "trial " << trial;
    EXPECT_NEAR(result.quality, expected.quality, 1e-12) << "trial " << trial;
    EXPECT_EQ(result.valid, 1);
  }

  const histogram none(256, 0);
  EXPECT_CHECK_FAILS(cid_thresholdHist(none.data(), 256, &result));
  EXPECT_EQ(cid_thresholdResult_init(&result), 0);
  EXPECT_EQ(std::tie(result.valid, result.threshold, result.quality), std::tuple(0, 0, 0.0));
}

TEST(ThresholdImage, WindowHistogramAndPercentiles) {
  // Left half 20, right half 200; the window leaves out a column of 255 on the right.
  testImage image(41, 6, 20);
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 20; x < 40; ++x) image.at(x, y) = 200;
    image.at(40, y) = 255;
  }
  ASSERT_EQ(cimg_image_window(image.image(), 0, 0, 40, 6, 0), 0);
  cid_thresholdResult result;
  ASSERT_EQ(cid_threshold(image.constImage(), &result), 0);
  EXPECT_EQ(result.threshold, 21);
  EXPECT_DOUBLE_EQ(result.quality, 1.0);

  // Against a sorted copy: the first level whose cumulative count reaches the limit is the
  // pixel of rank ceil(limit).
  greyScene scene(23, 17, 0);
  scene.addNoise(60.0, 9);
  scene.shade([](double x, double) { return 100 + 3 * x; });
  testImage noisy(scene);
  std::vector<uint8_t> sorted;
  for (int32_t y = 0; y < 17; ++y)
    for (int32_t x = 0; x < 23; ++x) sorted.push_back(noisy.at(x, y));
  std::sort(sorted.begin(), sorted.end());
  for (const float fraction : {-0.2f, 0.0f, 0.001f, 0.37f, 0.999f, 1.0f, 1.5f}) {
    const float limit = float(sorted.size()) * fraction;
    int32_t expected = 0;
    if (limit > float(sorted.size())) {
      expected = 256;
    } else if (limit > 0.0f) {
      expected = sorted[size_t(std::ceil(double(limit))) - 1];
    }
    ASSERT_EQ(cid_thresholdBasedOnPercentage(noisy.constImage(), fraction, &result), 0);
    EXPECT_EQ(result.threshold, expected) << fraction;
  }

  const heldImage unbound;
  result = cid_thresholdResult{7, 7.0, 7};
  EXPECT_EQ(cid_threshold(unbound.constImage(), &result), CIDUT_ERR_IMAGE_UNBOUND);
  EXPECT_EQ(cid_thresholdBasedOnPercentage(unbound.constImage(), 0.5f, &result),
            CIDUT_ERR_IMAGE_UNBOUND);
  EXPECT_EQ(result.threshold, 7);
}

struct darkLight {
  double darkMean = -1, lightMean = -1, darkDeviation = -1, lightDeviation = -1;
};

darkLight byLimits(const histogram& h, int32_t darkLimit, int32_t lightLimit) {
  darkLight d;
  EXPECT_EQ(cidut_getDarkLightMeanThreshold_(h.data(), int32_t(h.size()), darkLimit, lightLimit,
                                             &d.darkMean, &d.lightMean, &d.darkDeviation,
                                             &d.lightDeviation),
            0);
  return d;
}

TEST(DarkLight, ClassesByLevelAndByPercentile) {
  histogram h(256, 0);
  h[10] = 2;
  h[20] = 2;
  h[200] = 1;
  h[250] = 3;
  darkLight d = byLimits(h, 20, 200);
  EXPECT_EQ(std::tie(d.darkMean, d.darkDeviation, d.lightMean), std::tuple(15.0, 5.0, 237.5));
  EXPECT_DOUBLE_EQ(d.lightDeviation, std::sqrt((37.5 * 37.5 + 3 * 12.5 * 12.5) / 4));

  // Empty classes: the dark mean halfway to 0 and the light mean halfway to 255, rounded
  // down, deviations 0.
  d = byLimits(h, 7, 251);
  EXPECT_EQ(std::tie(d.darkMean, d.lightMean, d.darkDeviation, d.lightDeviation),
            std::tuple(3.0, 253.0, 0.0, 0.0));

  // One pixel at each level 0 .. 99: the p-th percentile is level p - 1, so the darkest
  // 10 % are 0 .. 9 and the lightest 10 % are 89 .. 99.
  histogram ramp(256, 0);
  for (int32_t v = 0; v < 100; ++v) ramp[v] = 1;
  darkLight p;
  ASSERT_EQ(cidut_getDarkLightMeanPercent_(ramp.data(), 256, 10, 10, &p.darkMean, &p.lightMean,
                                           &p.darkDeviation, &p.lightDeviation),
            0);
  EXPECT_DOUBLE_EQ(p.darkMean, 4.5);
  EXPECT_DOUBLE_EQ(p.darkDeviation, std::sqrt(99.0 / 12));
  EXPECT_DOUBLE_EQ(p.lightMean, 94.0);
  EXPECT_DOUBLE_EQ(p.lightDeviation, std::sqrt(10.0));
  ASSERT_EQ(cidut_getDarkLightMeanPercent_(ramp.data(), 256, 100, 0, &p.darkMean, &p.lightMean,
                                           &p.darkDeviation, &p.lightDeviation),
            0);
  EXPECT_DOUBLE_EQ(p.darkMean, 49.5);   // all of it
  EXPECT_DOUBLE_EQ(p.lightMean, 99.0);  // from the last level up

  EXPECT_CHECK_FAILS(cidut_getDarkLightMeanPercent_(
      ramp.data(), 256, 101, 0, &p.darkMean, &p.lightMean, &p.darkDeviation, &p.lightDeviation));
  EXPECT_CHECK_FAILS(cidut_getDarkLightMeanThreshold_(
      ramp.data(), 256, 256, 0, &p.darkMean, &p.lightMean, &p.darkDeviation, &p.lightDeviation));
}

// Vertical bars of 6 pixels, grey 40 and 200, optionally blurred.
greyScene bars(double sigma) {
  greyScene scene(60, 40, 40);
  scene.paint([](double x, double) { return int(x) / 6 % 2 == 1; }, 200);
  if (sigma > 0) scene.gaussianBlur(sigma);
  return scene;
}

double sharpnessOf(const cimg_imageConst* image, int32_t ignoreBlack) {
  double sharpness = -1;
  EXPECT_EQ(cidut_getImageSharpnessFromSymbolRegion_(image, ignoreBlack, &sharpness), 0);
  return sharpness;
}

TEST(Sharpness, SharpAboveBlurredAboveFlatAndFailures) {
  testImage sharp(bars(0)), soft(bars(1.0)), flat(30, 30, 128);
  const double s0 = sharpnessOf(sharp.constImage(), 0);
  const double s1 = sharpnessOf(soft.constImage(), 0);
  EXPECT_EQ(s0, 1.0);  // a Sobel step spans the full contrast
  EXPECT_LT(s1, s0);
  EXPECT_GT(s1, 0.0);
  EXPECT_EQ(sharpnessOf(flat.constImage(), 0), 0.0);

  // A white square on black: with black ignored only one level is left and there is no
  // contrast to measure.
  testImage square(30, 30, 0);
  for (int32_t y = 8; y < 22; ++y)
    for (int32_t x = 8; x < 22; ++x) square.at(x, y) = 200;
  EXPECT_GT(sharpnessOf(square.constImage(), 0), 0.0);
  EXPECT_EQ(sharpnessOf(square.constImage(), 1), 0.0);

  const heldImage unbound;
  double sharpness = -1;
  EXPECT_EQ(cidut_getImageSharpnessFromSymbolRegion_(unbound.constImage(), 0, &sharpness),
            CIDUT_ERR_IMAGE_UNBOUND);
  EXPECT_EQ(sharpness, -1);

  leakGuard guard;
  const int allocations = driveAllocationFailures(
      [&] { return cidut_getImageSharpnessFromSymbolRegion_(soft.constImage(), 0, &sharpness); });
  EXPECT_GE(allocations, 1);
  EXPECT_CHECK_FAILS(cidut_getImageSharpnessFromSymbolRegion_(soft.constImage(), 0, nullptr));
}

}  // namespace
