// Kit pixel copy, map and memory-overlap check against per-pixel references.
#include "kit/pel.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/hooks.h"

namespace {

// An image of random bytes with its whole-image record.
struct randomImage {
  randomImage(int32_t width, int32_t height, std::mt19937& random, int32_t type = CIMG_TYPE_8) {
    EXPECT_EQ(cimg_image_construct(&image, type, width, height), 0);
    EXPECT_EQ(cimg_window_init(&all, &image), 0);
    uint8_t* first = static_cast<uint8_t*>(all.pixels);
    for (int64_t i = 0; i < int64_t{all.stride} * height * type; ++i) first[i] = uint8_t(random());
  }
  ~randomImage() { cimg_image_destruct(&image); }
  // Every byte of the buffer, stride padding included.
  std::vector<uint8_t> bytes() const {
    const uint8_t* first = static_cast<const uint8_t*>(all.pixels);
    return {first, first + int64_t{all.stride} * all.height * all.pixelType};
  }
  cimg_window window(int32_t x, int32_t y, int32_t width, int32_t height) {
    cimg_window w;
    const cstd_rect32 rect{x, y, width, height};
    EXPECT_EQ(cimg_window_initWindow(&w, &image, &rect, nullptr), 0);
    return w;
  }
  cimg_image image;
  cimg_window all;
};

cimg_windowConst asConst(const cimg_window& w) {
  return {w.width, w.height, w.x0, w.y0, w.stride, w.pixelType, w.pixels, w.storage};
}

// A random window of the given size inside a width x height image.
cimg_window randomPlace(randomImage& image, int32_t width, int32_t height, std::mt19937& random) {
  const int32_t x = int32_t(random() % (image.all.width - width + 1));
  const int32_t y = int32_t(random() % (image.all.height - height + 1));
  return image.window(x, y, width, height);
}

// target's bytes once `to` holds `from` of source (through table), from a copy taken first.
std::vector<uint8_t> written(const randomImage& source, const cimg_window& from,
                             const randomImage& target, const cimg_window& to,
                             const uint8_t* table) {
  std::vector<uint8_t> expected = target.bytes();
  const std::vector<uint8_t> in = source.bytes();
  const auto at = [](const cimg_window& w, const randomImage& image) {
    return static_cast<uint8_t*>(w.pixels) - static_cast<uint8_t*>(image.all.pixels);
  };
  for (int64_t r = 0; r < from.height; ++r)
    for (int64_t c = 0; c < from.width; ++c) {
      const uint8_t v = in[at(from, source) + r * from.stride + c];
      expected[at(to, target) + r * to.stride + c] = table ? table[v] : v;
    }
  return expected;
}

TEST(KitPel, CopyMatchesACopyTakenAsideForAnyPairOfWindows) {
  std::mt19937 random(11);
  for (int trial = 0; trial < 40; ++trial) {
    randomImage a(37, 23, random), b(29, 31, random);
    const int32_t width = 1 + int32_t(random() % 29), height = 1 + int32_t(random() % 23);
    const bool sameImage = trial % 2 == 0;
    randomImage& target = sameImage ? a : b;
    const cimg_window from = randomPlace(a, width, height, random);
    const cimg_window to = randomPlace(target, width, height, random);

    const std::vector<uint8_t> expected = written(a, from, target, to, nullptr);
    const cimg_windowConst in = asConst(from);
    ASSERT_EQ(cip_pelCopy8(&in, &to), 0);
    ASSERT_EQ(target.bytes(), expected) << "trial " << trial;
  }
}

// low below the level, high from it on.
std::vector<uint8_t> stepTable(int32_t level, uint8_t low, uint8_t high) {
  std::vector<uint8_t> table(256);
  for (int32_t v = 0; v < 256; ++v) table[v] = v < level ? low : high;
  return table;
}

TEST(KitPel, MapAppliesTheTableInPlaceOrIntoAnotherWindow) {
  std::mt19937 random(5);
  std::vector<std::vector<uint8_t>> tables(1, std::vector<uint8_t>(256));
  for (uint8_t& t : tables[0]) t = uint8_t(random());
  for (const int32_t level : {0, 128, 256}) {
    tables.push_back(stepTable(level, 0, 255));
    tables.push_back(stepTable(level, 255, 0));
  }
  for (int trial = 0; trial < 41 * int32_t(tables.size()); ++trial) {
    const uint8_t* table = tables[trial / 41].data();
    randomImage a(41, 17, random), b(41, 17, random);
    // Widths 1..41 run through every remainder of the four- and sixteen-pixel steps.
    const int32_t width = 1 + trial % 41, height = 1 + int32_t(random() % 17);
    const bool inPlace = trial % 3 == 0;
    const cimg_window from = randomPlace(a, width, height, random);
    randomImage& target = inPlace ? a : b;
    const cimg_window to = inPlace ? from : randomPlace(b, width, height, random);

    const std::vector<uint8_t> expected = written(a, from, target, to, table);
    const cimg_windowConst in = asConst(from);
    ASSERT_EQ(cip_pelMap8(&in, &to, table), 0);
    ASSERT_EQ(target.bytes(), expected) << "trial " << trial;
  }
}

TEST(KitPel, OverlapIsExactlyASharedPixelByte) {
  std::mt19937 random(3);
  const struct {
    int32_t type, a[4], b[4];
    bool shared;
  } cases[] = {{CIMG_TYPE_8, {0, 0, 5, 3}, {5, 0, 5, 3}, false},    // side by side
               {CIMG_TYPE_8, {0, 0, 5, 3}, {4, 2, 5, 3}, true},     // one corner pixel
               {CIMG_TYPE_8, {0, 0, 3, 12}, {3, 1, 3, 10}, false},  // rows interleaved
               {CIMG_TYPE_8, {2, 2, 0, 5}, {0, 0, 24, 12}, false},  // empty
               {CIMG_TYPE_32, {0, 0, 2, 1}, {2, 0, 1, 1}, false},
               {CIMG_TYPE_32, {0, 0, 2, 1}, {1, 0, 1, 1}, true}};
  for (const auto& c : cases) {
    randomImage image(24, 12, random, c.type);
    const cimg_windowConst a = asConst(image.window(c.a[0], c.a[1], c.a[2], c.a[3]));
    const cimg_window b = image.window(c.b[0], c.b[1], c.b[2], c.b[3]);
    EXPECT_EQ(cip_pelfunc_checkMemoryOverlap(&a, &b), c.shared ? CIP_STATUS_MEMORY_OVERLAP : 0)
        << c.a[0] << ", " << c.a[1] << " and " << c.b[0] << ", " << c.b[1];
  }
  // Different images never overlap; records of different strides compare by their spans.
  randomImage a(16, 16, random), b(16, 16, random);
  const cimg_windowConst whole = asConst(a.all);
  EXPECT_EQ(cip_pelfunc_checkMemoryOverlap(&whole, &b.all), 0);
  cimg_window squeezed = a.window(0, 4, 4, 1);
  squeezed.stride = 1;
  const cimg_window below = a.window(0, 2, 4, 2);
  const cimg_windowConst squeezedConst = asConst(squeezed);
  EXPECT_EQ(cip_pelfunc_checkMemoryOverlap(&squeezedConst, &below), 0);
  const cimg_window across = a.window(8, 3, 4, 2);
  EXPECT_EQ(cip_pelfunc_checkMemoryOverlap(&squeezedConst, &across), CIP_STATUS_MEMORY_OVERLAP);
}

TEST(KitPel, SizeMismatchesAndArgumentErrors) {
  std::mt19937 random(8);
  randomImage a(10, 10, random), b(10, 10, random), wide(10, 10, random, CIMG_TYPE_32);
  const std::vector<uint8_t> before = b.bytes();
  const cimg_windowConst in = asConst(a.window(0, 0, 4, 3));
  uint8_t table[256] = {};
  for (const cimg_window to : {b.window(0, 0, 3, 3), b.window(0, 0, 4, 4)}) {  // one side off
    EXPECT_EQ(cip_pelCopy8(&in, &to), CIMG_STATUS_BAD_SIZE);
    EXPECT_EQ(cip_pelMap8(&in, &to, table), CIMG_STATUS_BAD_SIZE);
  }
  const cimg_window to = b.window(2, 2, 4, 3);
  const cimg_windowConst wideIn = asConst(wide.window(0, 0, 4, 3));
  EXPECT_CHECK_FAILS(cip_pelCopy8(&wideIn, &to));
  EXPECT_CHECK_FAILS(cip_pelMap8(&in, &to, nullptr));
  EXPECT_EQ(b.bytes(), before);
  EXPECT_EQ(b.bytes(), before);
}
}  // namespace
