// The ID edge detector's tables, detection and magnitude/angle images; the small histogram.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

#include "ci_id/priv/ci_idut/edge.h"
#include "id/idut/edge/id_edge_tables.h"
#include "support/held_image.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

constexpr double pi = std::numbers::pi;
constexpr int32_t headerBytes = 16;

// A threshold table owned by the test.
struct thresholdTable {
  cstd_vector8 v;
  thresholdTable() { EXPECT_EQ(cstd_vector8_construct(&v, 0), 0); }
  ~thresholdTable() { cstd_vector8_destruct(&v); }
  thresholdTable(const thresholdTable&) = delete;
  std::vector<uint8_t> copy() const {
    const uint8_t* begin = nullptr;
    int32_t size = 0;
    cstd_vector8_getBeginSizeConst(&v, &begin, &size);
    return {begin, begin + size};
  }
};

std::vector<uint8_t> builtTable(uint8_t threshold, int32_t builder) {
  thresholdTable table;
  EXPECT_EQ(cf_EdgeDetectIDTableInit(&table.v, threshold, builder), 0);
  return table.copy();
}

// The component pair at (x, y): 2x2 diagonal differences halved, or 3x3 Sobel sums over 8.
template <class Pixel>
std::pair<int32_t, int32_t> componentPair(Pixel pixel, int32_t x, int32_t y, int32_t mode) {
  auto p = [&](int32_t dx, int32_t dy) { return int32_t(pixel(x + dx, y + dy)); };
  if (mode == CF_EDGE_ID_MODE_2X2) return {(p(1, 0) - p(0, 1)) >> 1, (p(1, 1) - p(0, 0)) >> 1};
  return {((p(1, -1) - p(-1, -1)) + 2 * (p(1, 0) - p(-1, 0)) + (p(1, 1) - p(-1, 1))) >> 3,
          ((p(-1, 1) - p(-1, -1)) + 2 * (p(0, 1) - p(0, -1)) + (p(1, 1) - p(1, -1))) >> 3};
}

// Magnitude (2 x length, at most 255) and direction code of a pair turned back by 45 degrees.
std::pair<int32_t, int32_t> directMagnitudeCode(int32_t a, int32_t b) {
  const double codes = std::fmod(std::atan2(b, a) * 128 / pi - 32 + 512, 256);
  return {int32_t(std::lround(std::min(255.0, 2 * std::hypot(a, b)))),
          int32_t(std::lround(codes) % 256)};
}

// Both base tables, every entry (eight magnitudes, eight codes per group) against (a, b).
TEST(IdEdgeBaseTables, EveryEntryRight) {
  const uint8_t* tables[2] = {nullptr, nullptr};
  ASSERT_EQ(cidut_edgeIDBaseTable(0, &tables[0]), 0);
  ASSERT_EQ(cidut_edgeIDBaseTable(1, &tables[1]), 0);
  EXPECT_NE(tables[0], tables[1]);
  for (int32_t a = -128; a < 128; ++a) {
    for (int32_t b = -128; b < 128; ++b) {
      const int32_t k = (a & 0xFF) * 256 + (b & 0xFF);
      const int32_t group = k / 8, lane = k % 8;
      const auto [magnitude, code] = directMagnitudeCode(a, b);
      for (int32_t variant = 0; variant < 2; ++variant) {
        const uint8_t* entries = tables[variant] + 16 * group;
        ASSERT_EQ(int8_t(entries[lane]), magnitude - 128) << a << ", " << b;
        ASSERT_EQ(entries[8 + lane], variant == 1 && code == 255 ? 0 : code) << a << ", " << b;
      }
    }
  }
}

int32_t inhibitAll(const char*) {
  return 1;
}

TEST(IdEdgeThresholdTable, BuildersAgreeWithTheBaseTableAndRebuildWhenTheThresholdChanges) {
  ASSERT_EQ(cfEdgeDetectID_install(), 0);
  const uint8_t* base = nullptr;
  ASSERT_EQ(cidut_edgeIDBaseTable(1, &base), 0);
  const int32_t t = 37;
  cprt_isOptimizationInhibitedFP = inhibitAll;  // per entry
  const std::vector<uint8_t> perEntry = builtTable(uint8_t(t), 0);
  cprt_isOptimizationInhibitedFP = nullptr;
  ASSERT_EQ(perEntry.size(), size_t{CF_EDGE_ID_THRESHOLD_TABLE_SIZE});
  EXPECT_EQ(builtTable(uint8_t(t), 0), perEntry);
  EXPECT_EQ(builtTable(uint8_t(t), 1), perEntry);
  EXPECT_EQ(perEntry[0], t);  // then zeros to the header's end
  EXPECT_EQ(std::count(&perEntry[1], &perEntry[headerBytes], 0), headerBytes - 1);
  for (int32_t k = 0; k < 0x10000; ++k) {
    const uint8_t* group = base + 16 * (k / 8);
    const int32_t magnitude = int8_t(group[k % 8]) + 128;
    ASSERT_EQ(perEntry[headerBytes + k], magnitude < t ? 0xFF : group[8 + k % 8]) << k;
  }

  thresholdTable table;
  ASSERT_EQ(cf_EdgeDetectIDTableInit(&table.v, 90, 0), 0);
  ASSERT_EQ(cf_EdgeDetectIDTableInit(&table.v, 91, 0), 0);
  EXPECT_EQ(table.copy(), builtTable(91, 1));

  cstd_vector8_resize(&table.v, 100);
  EXPECT_CHECK_FAILS(cf_EdgeDetectIDTableInit(&table.v, 90, 0));
}

// A region with a one-pixel margin and spare columns, the buffer ending at the last pixel read.
struct sourceGrid {
  int32_t width, height, stride;
  std::vector<uint8_t> pixels;
  sourceGrid(int32_t w, int32_t h, int32_t spare = 0)
      : width(w), height(h), stride(w + 2 + spare), pixels(size_t(stride) * (h + 1) + w + 2) {}
  uint8_t& at(int32_t x, int32_t y) { return pixels[size_t(y + 1) * stride + x + 1]; }
  const uint8_t* first() const { return pixels.data() + stride + 1; }
};

std::vector<uint8_t> referenceCodes(sourceGrid& in, const std::vector<uint8_t>& table,
                                    int32_t mode) {
  std::vector<uint8_t> codes;
  auto pixel = [&](int32_t x, int32_t y) { return in.at(x, y); };
  for (int32_t y = 0; y < in.height; ++y) {
    for (int32_t x = 0; x < in.width; ++x) {
      const auto [a, b] = componentPair(pixel, x, y, mode);
      const uint8_t v = table[headerBytes + (a & 0xFF) * 256 + (b & 0xFF)];
      codes.push_back(mode == CF_EDGE_ID_MODE_2X2 || v == 0xFF ? v : uint8_t(v + 32));
    }
  }
  return codes;
}

// The detector's codes of the region; the output's spare columns must stay untouched.
std::vector<uint8_t> detect(const sourceGrid& in, const std::vector<uint8_t>& table, int32_t mode,
                            int32_t accelerate, int32_t guard, int32_t blockWidth = 0,
                            int32_t* counts = nullptr) {
  const int32_t outStride = in.width + 3;
  std::vector<uint8_t> out(size_t(outStride) * in.height, 0x5A);
  EXPECT_EQ(cf_EdgeDetectIDCount(in.first(), in.stride, out.data(), in.width, in.height, outStride,
                                 table.data(), int32_t(table.size()), 0, blockWidth, counts, guard,
                                 accelerate, mode),
            0);
  std::vector<uint8_t> codes;
  for (int32_t y = 0; y < in.height; ++y) {
    const uint8_t* row = &out[size_t(y) * outStride];
    codes.insert(codes.end(), row, row + in.width);
    EXPECT_EQ(std::count(row + in.width, row + outStride, 0x5A), 3) << "row " << y;
  }
  return codes;
}

// Every path and the block counts (added to) equal the per-pixel reference.
TEST(IdEdgeDetect, AllPathsMatchThePerPixelReference) {
  const std::vector<uint8_t> table = builtTable(40, 0);
  std::mt19937 random(11);
  const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {23, 5}, {67, 31}, {129, 9}};
  for (const auto& [w, h] : sizes) {
    sourceGrid in(w, h, int32_t(random() % 20));
    const bool extremes = w == 23;
    for (uint8_t& p : in.pixels) {
      p = extremes ? uint8_t(random() % 2 * 255)
                   : uint8_t(random() % 3 == 0 ? random() : 100 + random() % 20);
    }
    for (int32_t mode : {int32_t{CF_EDGE_ID_MODE_2X2}, int32_t{CF_EDGE_ID_MODE_3X3}, 1}) {
      const std::vector<uint8_t> expected = referenceCodes(in, table, mode);
      for (int32_t blockWidth : {0, 1, 3, 64}) {  // 0: no counts
        const size_t blocks = blockWidth ? (w + blockWidth - 1) / blockWidth : 0;
        std::vector<int32_t> expectedCounts(blocks + 1, 1);
        for (size_t i = 0; blockWidth && i < expected.size(); ++i)
          expectedCounts[i % w / blockWidth] += expected[i] == 0xFF;
        for (int32_t accelerate = 0; accelerate < 2; ++accelerate) {
          for (int32_t guard = 0; guard < 2; ++guard) {
            std::vector<int32_t> counts(blocks + 1, 1);
            ASSERT_EQ(detect(in, table, mode, accelerate, guard, blockWidth,
                             blockWidth ? counts.data() : nullptr),
                      expected)
                << w << " x " << h << " stride " << in.stride << " mode " << mode << " acc "
                << accelerate << " guard " << guard;
            EXPECT_EQ(counts, expectedCounts) << w << " x " << h << " block " << blockWidth;
          }
        }
      }
    }
  }
  sourceGrid flat(16, 3);  // mode 2 is no mode
  EXPECT_CHECK_FAILS(cf_EdgeDetectID(flat.first(), flat.stride, flat.pixels.data(), 16, 3, 16,
                                     table.data(), 0x10000, 0, 0, 0, 2));
}

bool sameRect(const cstd_rect32& a, const cstd_rect32& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// A 24 x 20 random source at (-3, 5), windowed to (-1, 7, 14, 11), with a transform.
struct magAngSource {
  heldImage image;
  cmath_xformLinear clientFromImage{{2, 0.5, -1, 3}, {10, -4}};
  magAngSource() : image({-3, 5, 24, 20}, 0) {
    std::mt19937 random(3);
    for (int32_t y = 0; y < 20; ++y)
      for (int32_t x = 0; x < 24; ++x) image.at(x, y) = uint8_t(random() % 3 ? random() : 50);
    EXPECT_EQ(cimg_image_window(&image.image, 2, 2, 14, 11, 0), 0);
    EXPECT_EQ(cimg_image_setLinearClientFromImageXform(&image.image, &clientFromImage), 0);
  }
};

// Magnitude and angle of image pixel (x, y) by the formulas, from the base table.
std::pair<uint8_t, uint8_t> referenceMagAng(const heldImage& source, int32_t x, int32_t y,
                                            int32_t variant, uint8_t t, int32_t mode) {
  auto pixel = [&](int32_t px, int32_t py) { return source.atImage(px, py); };
  const auto [a, b] = componentPair(pixel, x, y, mode);
  auto [magnitude, code] = directMagnitudeCode(a, b);
  if (variant != 0 && code == 255) code = 0;
  const int32_t shift = mode == CF_EDGE_ID_MODE_2X2 ? 0 : 32;
  const bool none = variant != 0 ? magnitude < t : code == 255 && shift != 0;
  return {uint8_t(magnitude), none ? uint8_t{0xFF} : uint8_t(code + shift)};
}

TEST(IdEdgeMagAng, OutputsTransformsBoundWindowsAndEmptyAreas) {
  ASSERT_EQ(cfEdgeDetectID_install(), 0);
  const magAngSource source;
  const cstd_rect32 area{-1, 7, 13, 10};  // the source window less its last column and row
  for (int32_t mode : {1, int32_t{CF_EDGE_ID_MODE_2X2}, int32_t{CF_EDGE_ID_MODE_3X3}}) {
    for (int32_t variant : {0, 5}) {
      leakGuard guard;
      heldImage magnitude, angle;
      ASSERT_EQ(cfEdgeDetectIDMagAng(source.image.constImage(), &magnitude.image, &angle.image,
                                     variant, 90, mode),
                0);
      for (const heldImage* out : {&magnitude, &angle}) {
        cstd_rect32 entire{};
        cimg_image_getEntire(&out->image, &entire);
        EXPECT_TRUE(sameRect(entire, area) && sameRect(out->windowRect(), area));
        // Pixel centres of the 2x2 and 3x3 operators lie half a pixel on.
        cmath_xformLinear xform;
        cimg_image_getLinearClientFromImageXform(&out->image, &xform);
        EXPECT_DOUBLE_EQ(xform.translation.x, mode == 1 ? 10 : 10 + 0.5 * (2 + 0.5));
      }
      for (int32_t y = area.y; y < area.y + area.height; ++y) {
        for (int32_t x = area.x; x < area.x + area.width; ++x) {
          const auto [m, a] = referenceMagAng(source.image, x, y, variant, 90, mode);
          ASSERT_EQ(magnitude.atImage(x, y), m) << x << ", " << y;
          ASSERT_EQ(angle.atImage(x, y), a) << x << ", " << y;
        }
      }
    }
  }

  // Bound outputs narrow the area to their windows, keep their other pixels, end windowed.
  heldImage magnitude({0, 0, 30, 30}, 1), angle({-5, 0, 40, 40}, 2);
  ASSERT_EQ(cimg_image_window(&magnitude.image, 3, 8, 20, 20, 0), 0);
  ASSERT_EQ(
      cfEdgeDetectIDMagAng(source.image.constImage(), &magnitude.image, &angle.image, 1, 90, 2), 0);
  const cstd_rect32 narrowed{3, 8, 9, 9};
  EXPECT_TRUE(sameRect(magnitude.windowRect(), narrowed) && sameRect(angle.windowRect(), narrowed));
  const auto [m, a] = referenceMagAng(source.image, 11, 16, 1, 90, 2);
  EXPECT_EQ(std::tuple(magnitude.atImage(11, 16), angle.atImage(11, 16)), std::tuple(m, a));
  EXPECT_EQ(std::tuple(magnitude.atImage(12, 16), angle.atImage(11, 17)), std::tuple(1, 2));

  // An empty area leaves the outputs unbound.
  heldImage mag0, ang0, unbound;
  heldImage narrow({0, 0, 8, 8}, 0);
  ASSERT_EQ(cimg_image_window(&narrow.image, 2, 2, 1, 5, 0), 0);
  EXPECT_EQ(cfEdgeDetectIDMagAng(narrow.constImage(), &mag0.image, &ang0.image, 0, 0, 2), 0);
  EXPECT_FALSE(mag0.bound() || ang0.bound());
  EXPECT_EQ(cfEdgeDetectIDMagAng(unbound.constImage(), &mag0.image, &ang0.image, 0, 0, 2),
            CIDUT_ERR_IMAGE_UNBOUND);
  heldImage corner({0, 0, 8, 8}, 0);
  EXPECT_CHECK_FAILS(cfEdgeDetectIDMagAng(corner.constImage(), &mag0.image, &ang0.image, 0, 0, 3));
}

TEST(PelHistogramSmall, EveryUnrollTailCountsLikeAPlainLoop) {
  std::mt19937 random(2);
  for (int32_t width = 1; width <= 40; ++width) {
    const int32_t height = 1 + width % 3, stride = width + 5;
    std::vector<uint8_t> pixels(size_t(stride) * height);
    for (uint8_t& p : pixels) p = uint8_t(random() % 9);      // few bins: repeats within a row
    std::vector<uint32_t> expected(256, 1), counted(256, 1);  // added to, not cleared
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) ++expected[pixels[size_t(y) * stride + x]];
    ASSERT_EQ(cfPelHistogramSmall(pixels.data(), width, height, stride, counted.data()), 0);
    EXPECT_EQ(counted, expected) << width << " x " << height;
  }
  uint32_t histogram[256] = {};
  const uint8_t pixels[10] = {};
  EXPECT_CHECK_FAILS(cfPelHistogramSmall(pixels, 3, 2, 0, histogram));
}

}  // namespace
