// Kit WGV thresholds: worked cases, exact ties at counts too large for floating point, images.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "kit/thresh.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

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
  cip_threshResult result;
  ASSERT_EQ(cip_threshComputeWGVThresholdFromImage(image.constImage(), &params, &result), 0);
  EXPECT_EQ(result.threshold, thresholdOf(h, 0, 255, CIP_THRESH_TIE_MIDDLE).threshold);

  EXPECT_CHECK_FAILS(
      cip_threshComputeWGVThresholdFromHistogram(h.data(), 255, 10, 9, &params, &result));
}

}  // namespace
