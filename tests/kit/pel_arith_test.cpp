// Kit pixel arithmetic, extremes, replication and histograms against per-pixel references.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "kit/pel.h"
#include "support/held_image.h"
#include "support/hooks.h"

namespace {

// The record of a random w x h window of the image.
cimg_window placed(const heldImage& image, int32_t w, int32_t h, std::mt19937& random) {
  const cstd_rect32 all = image.windowRect();
  return image.window(
      {int32_t(random() % (all.width - w + 1)), int32_t(random() % (all.height - h + 1)), w, h});
}

uint8_t pixel(const cimg_windowConst& w, int32_t x, int32_t y) {
  return cimg_windowConst_row<uint8_t>(&w, y)[x];
}
uint8_t& pixel(const cimg_window& w, int32_t x, int32_t y) {
  return cimg_window_row<uint8_t>(&w, y)[x];
}

TEST(KitPelArithmetic, EverySubtractionRuleOnEveryPairOfBytes) {
  const auto expected = [](int32_t mode, int32_t a, int32_t b) {
    switch (mode) {
      case CIP_SUB_WRAP:
        return uint8_t((a - b + 256) % 256);
      case CIP_SUB_ABSOLUTE:
        return uint8_t(std::abs(a - b));
      case CIP_SUB_HALVED:
        return uint8_t((a - b + 255) / 2);
      default:
        return uint8_t(std::max(0, a - b));
    }
  };
  std::mt19937 random(4);
  // Each pair in the vector steps in one layout and, for most pairs, in the tail in the other.
  for (const int32_t width : {23, 37}) {
    const int32_t height = (65536 + width - 1) / width;
    heldImage a({0, 0, width, height}, random), b({0, 0, width, height}, random),
        out({0, 0, width, height}, random);
    const cimg_window wa = a.window({0, 0, width, height}), wb = b.window({0, 0, width, height});
    for (int32_t i = 0; i < width * height; ++i) {
      pixel(wa, i % width, i / width) = uint8_t(i % 65536 / 256);
      pixel(wb, i % width, i / width) = uint8_t(i % 256);
    }
    const cimg_windowConst ca = readOnly(wa), cb = readOnly(wb);
    const cimg_window wo = out.window({0, 0, width, height});
    for (int32_t mode = CIP_SUB_WRAP; mode <= CIP_SUB_CLAMP; ++mode) {
      ASSERT_EQ(cip_pelSub8(&ca, &cb, &wo, mode), 0);
      for (int32_t i = 0; i < 65536; ++i) {
        ASSERT_EQ(pixel(wo, i % width, i / width), expected(mode, i / 256, i % 256))
            << "mode " << mode << ", " << i / 256 << " - " << i % 256;
      }
    }
    EXPECT_CHECK_FAILS(cip_pelSub8(&ca, &cb, &wo, 4));
    // In place over either operand.
    ASSERT_EQ(cip_pelSub8(&ca, &cb, &wb, CIP_SUB_HALVED), 0);
    ASSERT_EQ(cip_pelSub8(&ca, &cb, &wa, CIP_SUB_ABSOLUTE), 0);
    for (int32_t i = 0; i < 65536; ++i) {
      const uint8_t halved = expected(CIP_SUB_HALVED, i / 256, i % 256);
      ASSERT_EQ(pixel(wb, i % width, i / width), halved);
      ASSERT_EQ(pixel(wa, i % width, i / width), expected(CIP_SUB_ABSOLUTE, i / 256, halved));
    }
  }
}

TEST(KitPelArithmetic, MinimumAndMaximumOfTheWindowOnly) {
  // A narrow range inside the window, 0 and 255 beside it; the extremes at its first and
  // last pixels, across the vector steps and the tail.
  heldImage image({0, 0, 50, 9}, 0);
  image.atImage(49, 8) = 255;
  const cimg_window w = image.window({3, 2, 37, 5});
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t x = 0; x < 37; ++x) pixel(w, x, y) = uint8_t(100 + (x * 7 + y * 3) % 23);
  pixel(w, 0, 0) = 140;
  pixel(w, 36, 4) = 99;
  const cimg_windowConst in = readOnly(w);
  uint8_t minimum = 0, maximum = 0;
  ASSERT_EQ(cip_pelUnaryMinMax8(&in, &minimum, &maximum), 0);
  EXPECT_EQ(std::tie(minimum, maximum), std::tuple(99, 140));
  const cimg_windowConst empty = readOnly(image.window({2, 2, 0, 3}));
  EXPECT_EQ(cip_pelUnaryMinMax8(&empty, &minimum, &maximum), 0);
  EXPECT_EQ(std::tie(minimum, maximum), std::tuple(255, 0));
  EXPECT_CHECK_FAILS(cip_pelUnaryMinMax8(&empty, nullptr, &maximum));
}

TEST(KitPelArithmetic, ExpansionReplicatesEachPixelIntoItsBlock) {
  std::mt19937 random(12);
  for (int trial = 0; trial < 10; ++trial) {
    const int32_t xFactor = 1 + trial % 5, yFactor = 1 + int32_t(random() % 4);
    const int32_t width = 1 + int32_t(random() % 40), height = 1 + int32_t(random() % 6);
    heldImage source({0, 0, 45, 8}, random), target({0, 0, 210, 30}, random);
    const cimg_windowConst in = readOnly(placed(source, width, height, random));
    const cimg_window out = placed(target, width * xFactor, height * yFactor, random);
    std::vector<uint8_t> expected = target.pixels();
    for (int32_t y = 0; y < out.height; ++y)
      for (int32_t x = 0; x < out.width; ++x)
        expected[size_t((out.y0 + y) * 210 + out.x0 + x)] = pixel(in, x / xFactor, y / yFactor);
    ASSERT_EQ(cip_pelExpand8(&in, &out, xFactor, yFactor), 0);
    ASSERT_EQ(target.pixels(), expected) << "trial " << trial;
  }

  heldImage source({0, 0, 10, 10}, random), target({0, 0, 30, 30}, random);
  const std::vector<uint8_t> before = target.pixels();
  const cimg_windowConst in = readOnly(source.window({0, 0, 4, 3}));
  const cimg_window tooWide = target.window({0, 0, 9, 6});
  const cimg_window overSource = source.window({2, 1, 8, 6});
  EXPECT_EQ(cip_pelExpand8(&in, &tooWide, 2, 2), CIMG_STATUS_BAD_SIZE);
  EXPECT_EQ(target.pixels(), before);
  EXPECT_CHECK_FAILS(cip_pelExpand8(&in, &overSource, 2, 2));
}

TEST(KitPelHistogram, CountsEveryPixelOfRandomWindowsOnTopOfTheBins) {
  std::mt19937 random(15);
  for (int trial = 0; trial < 20; ++trial) {
    const int32_t stride = 1 + int32_t(random() % 90);
    const int32_t width = 1 + int32_t(random() % stride), height = 1 + int32_t(random() % 12);
    heldImage image({0, 0, stride, 12}, random);
    const cimg_window w = placed(image, width, height, random);
    uint32_t bins[256], expected[256];
    for (int32_t v = 0; v < 256; ++v) bins[v] = expected[v] = uint32_t(random() % 5);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) ++expected[pixel(w, x, y)];
    const cimg_windowConst in = readOnly(w);
    ASSERT_EQ(cip_pelHistogram8(&in, bins), 0);
    ASSERT_TRUE(std::equal(bins, bins + 256, expected)) << "trial " << trial;
  }
  const heldImage image({0, 0, 4, 4}, random);
  const cimg_windowConst in = readOnly(image.window());
  EXPECT_CHECK_FAILS(cip_pelHistogram8(&in, nullptr));
}

TEST(KitPelHistogram, PercentilesMatchASortedCopyOfThePixels) {
  std::mt19937 random(18);
  int32_t percentiles[101];
  for (int trial = 0; trial < 30; ++trial) {
    const int32_t bins = trial < 10 ? 1 + trial : 1 + int32_t(random() % 300);
    std::vector<uint32_t> histogram(size_t(bins), 0);
    std::vector<int32_t> sorted;
    // Sparse histograms leave empty levels between and around the occupied ones.
    const int32_t occupied = 1 + int32_t(random() % std::min(bins, 12));
    for (int32_t k = 0; k < occupied; ++k) {
      const int32_t level = int32_t(random() % bins), count = 1 + int32_t(random() % 40);
      histogram[size_t(level)] += uint32_t(count);
      sorted.insert(sorted.end(), size_t(count), level);
    }
    std::sort(sorted.begin(), sorted.end());
    const int64_t n = int64_t(sorted.size());
    ASSERT_EQ(cip_pelHistogramStat_invCum(histogram.data(), bins, percentiles), 0);
    for (int64_t p = 0; p <= 100; ++p) {
      // The least level with at least p n / 100 pixels at or below it: rank ceil(p n / 100).
      const int64_t rank = std::max<int64_t>(1, (p * n + 99) / 100);
      ASSERT_EQ(percentiles[p], sorted[size_t(rank - 1)]) << "trial " << trial << ", p " << p;
    }
  }
  const uint32_t empty[5] = {};
  std::fill(percentiles, percentiles + 101, -1);
  EXPECT_EQ(cip_pelHistogramStat_invCum(empty, 5, percentiles), 0);
  EXPECT_TRUE(std::all_of(percentiles, percentiles + 101, [](int32_t v) { return v == 0; }));
  // Counts near 2^32 in every bin: the cumulative products need more than 64 bits.
  std::vector<uint32_t> heavy(4096, 0xfffffff0u);
  EXPECT_EQ(cip_pelHistogramStat_invCum(heavy.data(), 4096, percentiles), 0);
  EXPECT_EQ(std::tie(percentiles[0], percentiles[50], percentiles[100]), std::tuple(0, 2047, 4095));
  EXPECT_CHECK_FAILS(cip_pelHistogramStat_invCum(empty, 0, percentiles));
}

}  // namespace
