// Line sampling: fixed-point samples, clipping against a reference, activity, checks.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ci_id/priv/ci_idut/pitch.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

constexpr int32_t outside = static_cast<int32_t>(0x8000084bu);

cimg_windowConst windowOf(testImage& image) {
  cimg_windowConst window;
  EXPECT_EQ(cimg_windowConst_init(&window, image.constImage()), 0);
  return window;
}

void fillPattern(testImage& image, int32_t width, int32_t height) {
  for (int32_t r = 0; r < height; ++r)
    for (int32_t c = 0; c < width; ++c) image.at(c, r) = uint8_t((37 * c + 11 * r) % 256);
}

TEST(LineSampling, SamplesOnAndBetweenPixelCentres) {
  testImage image(20, 5, 0);
  const uint8_t greys[10] = {255, 128, 0, 1, 255, 200, 128, 7, 90, 255};
  for (int32_t c = 0; c < 10; ++c) image.at(2 + c, 2) = greys[c];
  const cmath_vect a{2.5 - 40, 2.5 + 17}, b{12.5 - 40, 2.5 + 17};

  // Sub-interval starts on the pixel centres: grey x 255 x 255 / 65536.
  uint8_t profile[10], mean = 1;
  double spacing = 0.0;
  ASSERT_EQ(cimg_image_setOrigin(image.image(), -40, 17), 0);  // moves the coordinates only
  const cimg_windowConst window = windowOf(image);
  ASSERT_EQ(cidut_linePixels1(&window, &a, &b, profile, 10.0, 10, &mean, &spacing), 0);
  uint32_t sum = 0;
  for (int32_t i = 0; i < 10; ++i) {
    EXPECT_EQ(profile[i], (greys[i] * 255 * 255) >> 16) << i;
    sum += (greys[i] * 255 * 255) >> 8;
  }
  EXPECT_EQ(mean, (sum / 10) >> 8);
  EXPECT_EQ(spacing, 1.0);

  // Sub-interval centres: half way between pixel centres (weights 127 and 128).
  ASSERT_EQ(cidut_linePixels(&window, &a, &b, profile, 10, &mean, &spacing), 0);
  for (int32_t i = 0; i < 10; ++i) {
    const int32_t right = i + 1 < 10 ? greys[i + 1] : 0;
    EXPECT_EQ(profile[i], ((greys[i] * 127 + right * 128) * 255) >> 16) << i;
  }
}

TEST(LineSampling, NearestSamplesAlongADiagonal) {
  testImage image(30, 25, 0);
  fillPattern(image, 30, 25);
  const cimg_windowConst window = windowOf(image);
  const cmath_vect a{3.2, 4.9}, b{26.7, 20.1};
  const int32_t n = 17;
  uint8_t profile[n];
  double spacing = 0.0;
  const int64_t u1 = int64_t((a.x - 0.5) * 65536), v1 = int64_t((a.y - 0.5) * 65536);
  const int64_t du = (int64_t((b.x - 0.5) * 65536) - u1) / n;
  const int64_t dv = (int64_t((b.y - 0.5) * 65536) - v1) / n;
  ASSERT_EQ(cidut_linePixels_LowPPM(&window, &a, &b, profile, n, &spacing), 0);
  for (int32_t i = 0; i < n; ++i) {
    const int64_t u = (u1 + du / 2 + i * du) >> 16, v = (v1 + dv / 2 + i * dv) >> 16;
    EXPECT_EQ(profile[i], image.at(int32_t(u), int32_t(v))) << i;
  }
}

TEST(LineSampling, ClippedEndsRepeatTheInsideSamples) {
  testImage image(20, 10, 0);
  fillPattern(image, 20, 10);
  const cimg_windowConst window = windowOf(image);
  // Sample i on column i - 6: indices 6..14 inside (the end rounded inwards), the others
  // repeating the nearest inside sample.
  const cmath_vect a{-5.5, 5.5}, b{10.5, 5.5};
  uint8_t profile[16], mean = 0;
  double spacing = 0.0;
  ASSERT_EQ(cidut_linePixels1(&window, &a, &b, profile, 16.0, 16, &mean, &spacing), 0);
  for (int32_t i = 0; i < 16; ++i) {
    const int32_t column = i < 6 ? 0 : (i > 14 ? 8 : i - 6);
    EXPECT_EQ(profile[i], (image.at(column, 5) * 255 * 255) >> 16) << i;
  }
  uint32_t sum = 0;
  for (int32_t c = 0; c <= 8; ++c) sum += (image.at(c, 5) * 255 * 255) >> 8;
  EXPECT_EQ(mean, (sum / 9) >> 8);

  const cmath_vect misses[][2] = {{{25, 1}, {19.6, 9}}, {{-6, 3}, {3, -6}}};
  for (const auto& m : misses) {
    mean = 7;
    EXPECT_EQ(cidut_linePixels(&window, &m[0], &m[1], profile, 8, &mean, &spacing), outside);
    EXPECT_EQ(mean, 0);
    EXPECT_DOUBLE_EQ(spacing, std::hypot(m[1].x - m[0].x, m[1].y - m[0].y) / 8);
    int32_t activity = 3;
    EXPECT_EQ(cidut_linePixels2D(&window, &m[0], &m[1], 8, &activity), outside);
    EXPECT_EQ(activity, 0);
  }
}

TEST(LineSampling, ArgumentChecksAndPixelCounts) {
  testImage image(10, 10, 50);
  const cimg_windowConst window = windowOf(image);
  const cmath_vect a{1, 1}, far{70000.0, 1.0};
  uint8_t profile[8], mean;
  double spacing;
  int32_t count = 0;
  EXPECT_CHECK_FAILS(cidut_linePixels(&window, &a, &far, profile, 8, &mean, &spacing));
  const cmath_vect half{1.0, 3.5};
  ASSERT_EQ(cidut_getPixelCount(&a, &half, &count), 0);
  EXPECT_EQ(count, 3);  // rounded half away from zero
}

}  // namespace
