// Rectangular grey-level morphology against a naive box extremum; destinations; failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ci_id/priv/ci_idut/prep.h"
#include "pixel_test_images.h"
#include "support/hooks.h"

namespace {

// A box size's half-width: a window of 2 max(1, (k - 1) / 2) + 1 pixels, none below 2.
int32_t halfOf(int32_t k) {
  return k > 1 ? std::max(1, (k - 1) / 2) : 0;
}

// The extremum over the box around each pixel of a width x height grid, cut at the border.
std::vector<uint8_t> naiveBox(const std::vector<uint8_t>& in, int32_t width, int32_t height,
                              int32_t kx, int32_t ky, bool maximum) {
  const int32_t hx = halfOf(kx), hy = halfOf(ky);
  std::vector<uint8_t> out(in.size());
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint8_t v = maximum ? 0 : 255;
      for (int32_t yy = std::max(0, y - hy); yy <= std::min(height - 1, y + hy); ++yy)
        for (int32_t xx = std::max(0, x - hx); xx <= std::min(width - 1, x + hx); ++xx)
          v = maximum ? std::max(v, in[size_t(yy) * width + xx])
                      : std::min(v, in[size_t(yy) * width + xx]);
      out[size_t(y) * width + x] = v;
    }
  return out;
}

std::vector<uint8_t> naiveMorphology(const std::vector<uint8_t>& in, int32_t width, int32_t height,
                                     int32_t mode, int32_t kx, int32_t ky) {
  if (width < kx || height < ky || (kx < 2 && ky < 2)) return in;
  const bool maxFirst = mode == CIDUT_MORPH_MAX || mode == CIDUT_MORPH_MAX_MIN;
  const std::vector<uint8_t> first = naiveBox(in, width, height, kx, ky, maxFirst);
  if (mode == CIDUT_MORPH_MAX || mode == CIDUT_MORPH_MIN) return first;
  return naiveBox(first, width, height, kx, ky, !maxFirst);
}

// A random source window of a larger image, at (2, 6) in image coordinates, transformed.
struct windowedSource {
  windowedSource(std::mt19937& random, int32_t width, int32_t height)
      : image({-3, 4, width + 9, height + 7}, random) {
    EXPECT_EQ(cimg_image_window(&image.image, 5, 2, width, height, 0), 0);
    const cmath_xformLinear xform{{2, 0, 0.5, 1}, {-1, 3}};
    EXPECT_EQ(cimg_image_setLinearImageFromClientXform(&image.image, &xform), 0);
  }
  heldImage image;
};

TEST(Morphology, EveryModeMatchesTheNaiveBoxExtremum) {
  std::mt19937 random(1);
  // Every mode with a 5 x 4 box; a box wider than the window, and a one-pixel box, copy.
  const int32_t boxes[][3] = {{0, 5, 4}, {1, 5, 4}, {2, 5, 4}, {3, 5, 4}, {1, 31, 3}, {2, 1, 1}};
  for (const auto& [mode, kx, ky] : boxes) {
    windowedSource source(random, 23, 17);
    const std::vector<uint8_t> before = source.image.pixels();
    heldImage out;
    ASSERT_EQ(cidut_morph2d_run(source.image.constImage(), &out.image, mode, kx, ky), 0);
    const cimg_window result = out.window();
    EXPECT_EQ(std::tie(result.x0, result.y0, result.width, result.height),
              std::tuple(2, 6, 23, 17));
    EXPECT_EQ(out.pixels(), naiveMorphology(before, 23, 17, mode, kx, ky)) << mode << ", " << kx;
    EXPECT_EQ(source.image.pixels(), before);
    EXPECT_DOUBLE_EQ(imageFromClient(out).matrix.yx, 0.5);
  }
}

TEST(Morphology, WorksInPlaceOnADestinationThatHoldsTheRectangle) {
  std::mt19937 random(2);
  const int32_t mode = CIDUT_MORPH_MAX_MIN;
  {
    windowedSource source(random, 37, 21);
    const std::vector<uint8_t> before = source.image.pixels();
    const std::vector<uint8_t> expected = naiveMorphology(before, 37, 21, mode, 5, 3);

    // A destination covering the rectangle takes the result there and nowhere else.
    heldImage big({0, 0, 60, 40}, random);
    const std::vector<uint8_t> bigBefore = big.pixels();
    const void* storage = big.window().storage;
    ASSERT_EQ(cidut_morph2d_run(source.image.constImage(), &big.image, mode, 5, 3), 0);
    EXPECT_EQ(big.window().storage, storage);
    EXPECT_EQ(big.pixels(), expected);
    EXPECT_DOUBLE_EQ(imageFromClient(big).translation.x, -1.0);
    ASSERT_EQ(cimg_image_setEntire(&big.image), 0);  // the rectangle is x 2 .. 38, y 6 .. 26
    EXPECT_EQ(big.atImage(39, 26), bigBefore[26 * 60 + 39]);
  }
}

TEST(Morphology, UnboundSourceAndBadMode) {
  std::mt19937 random(4);
  windowedSource source(random, 30, 20);
  heldImage unbound, out;
  EXPECT_EQ(cidut_morph2d_run(unbound.constImage(), &out.image, CIDUT_MORPH_MAX, 3, 3),
            CIDUT_ERR_IMAGE_UNBOUND);
  EXPECT_CHECK_FAILS(cidut_morph2d_run(source.image.constImage(), &out.image, 4, 3, 3));
}

}  // namespace
