// Histogram thresholds, dark/light statistics of known histograms, sharpness of scenes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "ci_id/priv/ci_idut/prep.h"
#include "support/held_image.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

using histogram = std::vector<uint32_t>;

TEST(ThresholdHistogram, WorkedCases) {
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

  // Three levels: the split after 10 (quality 169 / 185) beats the one after 40 (289 / 370).
  histogram three(64, 0);
  three[10] = 30;
  three[40] = 10;
  three[60] = 20;
  ASSERT_EQ(cid_thresholdHist(three.data(), 64, &result), 0);
  EXPECT_EQ(result.threshold, 11);
  EXPECT_NEAR(result.quality, 169.0 / 185, 1e-12);

  const histogram none(256, 0);
  EXPECT_CHECK_FAILS(cid_thresholdHist(none.data(), 256, &result));
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

  // Levels 0, 10, .. 90: the first level whose cumulative count reaches the limit (3.7 of 10).
  testImage ramp(10, 1, 0);
  for (int32_t x = 0; x < 10; ++x) ramp.at(x, 0) = uint8_t(10 * x);
  for (const auto& [fraction, expected] :
       {std::pair{0.0f, 0}, std::pair{0.37f, 30}, std::pair{1.5f, 256}}) {
    ASSERT_EQ(cid_thresholdBasedOnPercentage(ramp.constImage(), fraction, &result), 0);
    EXPECT_EQ(result.threshold, expected) << fraction;
  }
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

  // Empty classes: means halfway to 0 and to 255, rounded down, deviations 0.
  d = byLimits(h, 7, 251);
  EXPECT_EQ(std::tie(d.darkMean, d.lightMean, d.darkDeviation, d.lightDeviation),
            std::tuple(3.0, 253.0, 0.0, 0.0));

  // One pixel at each level 0 .. 99: the darkest 10 % are 0 .. 9, the lightest 89 .. 99.
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

TEST(Sharpness, SharpAboveBlurredAboveFlatAndChecks) {
  testImage sharp(bars(0)), soft(bars(1.0)), flat(30, 30, 128);
  const double s0 = sharpnessOf(sharp.constImage(), 0);
  const double s1 = sharpnessOf(soft.constImage(), 0);
  EXPECT_EQ(s0, 1.0);  // a Sobel step spans the full contrast
  EXPECT_LT(s1, s0);
  EXPECT_GT(s1, 0.0);
  EXPECT_EQ(sharpnessOf(flat.constImage(), 0), 0.0);
  testImage square(30, 30, 0);  // with black ignored one level is left: no contrast
  for (int32_t y = 8; y < 22; ++y)
    for (int32_t x = 8; x < 22; ++x) square.at(x, y) = 200;
  EXPECT_GT(sharpnessOf(square.constImage(), 0), 0.0);
  EXPECT_EQ(sharpnessOf(square.constImage(), 1), 0.0);

  EXPECT_CHECK_FAILS(cidut_getImageSharpnessFromSymbolRegion_(soft.constImage(), 0, nullptr));
}

}  // namespace
