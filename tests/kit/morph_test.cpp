// Kit grey morphology against a naive extremum over the element; statuses and failures.
#include "kit/morph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "kit/pel.h"
#include "support/held_image.h"
#include "support/hooks.h"

namespace {

using offsetList = std::vector<std::pair<int32_t, int32_t>>;

// An element owning its offsets (from the kit's allocator when made by type).
struct element {
  element(int32_t type, int32_t size) : fromKit(true) {
    EXPECT_EQ(cip_gmorphElementArray_constructType(&array, type, size), 0);
  }
  explicit element(const offsetList& list) : own(2 * list.size()) {
    int32_t radius = 0;
    for (size_t j = 0; j < list.size(); ++j) {
      own[2 * j] = list[j].first;
      own[2 * j + 1] = list[j].second;
      radius = std::max({radius, std::abs(list[j].first), std::abs(list[j].second)});
    }
    array = {int32_t(list.size()), own.data(), radius};
  }
  ~element() {
    if (fromKit) cip_gmorphElementArray_destruct(&array);
  }
  offsetList offsets() const {
    offsetList list;
    for (int32_t j = 0; j < array.count; ++j)
      list.emplace_back(array.offsets[2 * j], array.offsets[2 * j + 1]);
    return list;
  }
  cip_gmorphElementArray array{};
  std::vector<int32_t> own;
  bool fromKit = false;
};

enum class border { insideOnly, extended };

// The extremum over the element inside the window, or over the window extended by its border.
std::vector<uint8_t> naive(const cimg_windowConst& in, const offsetList& offsets, bool dilate,
                           border rule) {
  std::vector<uint8_t> out;
  for (int32_t y = 0; y < in.height; ++y) {
    for (int32_t x = 0; x < in.width; ++x) {
      uint8_t e = dilate ? 0 : 255;
      for (const auto& [dx, dy] : offsets) {
        int32_t px = x + dx, py = y + dy;
        if (rule == border::extended) {
          px = std::clamp(px, 0, in.width - 1);
          py = std::clamp(py, 0, in.height - 1);
        } else if (px < 0 || py < 0 || px >= in.width || py >= in.height) {
          continue;
        }
        const uint8_t p = cimg_windowConst_row<uint8_t>(&in, py)[px];
        e = dilate ? std::max(e, p) : std::min(e, p);
      }
      out.push_back(e);
    }
  }
  return out;
}

// A random source window of the given size inside a larger image of random pixels.
struct randomSource {
  randomSource(int32_t width, int32_t height, std::mt19937& random)
      : image({0, 0, width + 7, height + 5}, random) {
    EXPECT_EQ(cimg_image_window(&image.image, int32_t(random() % 8), int32_t(random() % 6), width,
                                height, 0),
              0);
    window = readOnly(image.window());
  }
  heldImage image;
  cimg_windowConst window;
};

using operation = int32_t (*)(const cimg_imageConst*, cimg_image*, const cip_gmorphElementArray*);
constexpr operation dilate = cip_gmorphDilate8, erode = cip_gmorphErode8;

TEST(KitMorph, ElementsAreTheCrossAndTheSquareInRasterOrder) {
  const element cross(CIP_GMORPH_CROSS, 2), square(CIP_GMORPH_SQUARE, 1);
  EXPECT_EQ(
      cross.offsets(),
      (offsetList{{0, -2}, {0, -1}, {-2, 0}, {-1, 0}, {0, 0}, {1, 0}, {2, 0}, {0, 1}, {0, 2}}));
  EXPECT_EQ(cross.array.radius, 2);
  EXPECT_EQ(
      square.offsets(),
      (offsetList{{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {0, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}}));

  cip_gmorphElementArray e{5, nullptr, 5};
  EXPECT_CHECK_FAILS(cip_gmorphElementArray_constructType(&e, 1, 40000));  // too many offsets
}

TEST(KitMorph, SquaresAndCrossesMatchTheExtremumOverTheElementInsideTheWindow) {
  std::mt19937 random(31);
  int trial = 0;
  // Radii 0 .. 5 read every tap of a square, larger ones go by van Herk; 40 reaches past
  // every window.
  for (const int32_t size : {0, 2, 5, 6, 40}) {
    for (const int32_t type : {CIP_GMORPH_SQUARE, CIP_GMORPH_CROSS}) {
      const element shape(type, size);
      for (int repeat = 0; repeat < 3; ++repeat, ++trial) {
        // Odd sizes across the 16-pixel steps, thin windows among them.
        const int32_t width = repeat == 0 ? 1 : 1 + int32_t(random() % 83);
        const int32_t height = repeat == 1 ? 1 : 1 + int32_t(random() % 41);
        randomSource source(width, height, random);
        const bool toBound = repeat % 2 == 0;
        for (const operation op : {dilate, erode}) {
          heldImage target(width + 9, height + 3, 77), fresh;
          heldImage& destination = toBound ? target : fresh;
          ASSERT_EQ(cimg_image_window(&target.image, 9, 3, width, height, 0), 0);
          ASSERT_EQ(op(source.image.constImage(), &destination.image, &shape.array), 0);
          ASSERT_EQ(destination.pixels(),
                    naive(source.window, shape.offsets(), op == dilate, border::insideOnly))
              << "trial " << trial << ", size " << size << ", type " << type << ", " << width
              << " x " << height;
          // The pixels beside a bound destination's window are left alone.
          for (int32_t y = 0; y < height + 3; ++y)
            for (int32_t x = 0; x < width + 9; ++x)
              if (x < 9 || y < 3) {
                ASSERT_EQ(target.atImage(x, y), 77);
              }
        }
      }
    }
  }
}

TEST(KitMorph, AnyElementMatchesTheExtremumOverTheExtendedWindow) {
  std::mt19937 random(37);
  // A lopsided element without its centre, and one reaching far past the window.
  const offsetList elements[] = {{{-3, 1}, {2, -1}, {0, -2}, {4, 2}}, {{-60, 5}, {45, -20}, {1, 0}}};
  for (const offsetList& offsets : elements) {
    const element shape(offsets);
    randomSource source(37, 19, random);
    for (const operation op : {dilate, erode}) {
      heldImage out;
      ASSERT_EQ(op(source.image.constImage(), &out.image, &shape.array), 0);
      ASSERT_EQ(out.pixels(), naive(source.window, offsets, op == dilate, border::extended));
    }
  }
}

TEST(KitMorph, DestinationsStatusesAndArgumentErrors) {
  std::mt19937 random(41);
  randomSource source(30, 20, random);
  const element square(CIP_GMORPH_SQUARE, 1);

  const cmath_xformLinear xform{{2, 0.5, 0, 3}, {4, -7}};
  ASSERT_EQ(cimg_image_setLinearImageFromClientXform(&source.image.image, &xform), 0);
  // A new destination covers the source window's pixels, with the source's transforms.
  heldImage out;
  ASSERT_EQ(cip_gmorphErode8(source.image.constImage(), &out.image, &square.array), 0);
  cmath_xformLinear copied;
  cimg_image_getLinearImageFromClientXform(&out.image, &copied);
  EXPECT_EQ(std::memcmp(&copied, &xform, sizeof xform), 0);
  const cstd_rect32 sourceWindow = source.image.windowRect(), outWindow = out.windowRect();
  EXPECT_EQ(std::make_tuple(outWindow.x, outWindow.y, outWindow.width, outWindow.height),
            std::make_tuple(sourceWindow.x, sourceWindow.y, 30, 20));

  // Wrong sizes and overlapping pixels leave a bound destination alone.
  const std::vector<uint8_t> before = out.pixels();
  ASSERT_EQ(cimg_image_window(&out.image, 0, 0, 29, 20, 0), 0);
  EXPECT_EQ(cip_gmorphDilate8(source.image.constImage(), &out.image, &square.array),
            CIMG_STATUS_BAD_SIZE);
  ASSERT_EQ(cimg_image_window(&out.image, 0, 0, 30, 20, 0), 0);
  EXPECT_EQ(out.pixels(), before);
  heldImage sameImage;
  cimg_image_assign(&sameImage.image, &source.image.image);
  ASSERT_EQ(cimg_image_window(&sameImage.image, 1, 0, 30, 20, 0), 0);
  EXPECT_EQ(cip_gmorphDilate8(source.image.constImage(), &sameImage.image, &square.array),
            CIP_STATUS_MEMORY_OVERLAP);

  element farOut(offsetList{{0, 0}, {3, 1}});
  farOut.array.radius = 2;  // an offset beyond the stated radius
  EXPECT_CHECK_FAILS(cip_gmorphDilate8(source.image.constImage(), &out.image, &farOut.array));
}
}  // namespace
