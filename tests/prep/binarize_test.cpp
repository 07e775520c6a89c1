// Binarization: worked cases of every method, placement, failures; dividing a buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "ci_id/priv/ci_idut/prep.h"
#include "kit/pel.h"
#include "kit/std.h"
#include "support/held_image.h"
#include "support/hooks.h"

namespace {

// A plain grid of bytes, row by row.
struct plane {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> v;
  plane(int32_t w, int32_t h, uint8_t fill = 0) : width(w), height(h), v(size_t(w) * h, fill) {}
  uint8_t& at(int32_t x, int32_t y) { return v[size_t(y) * width + x]; }
  uint8_t at(int32_t x, int32_t y) const { return v[size_t(y) * width + x]; }
};

plane randomPlane(int32_t w, int32_t h, std::mt19937& random) {
  plane p(w, h);
  for (uint8_t& v : p.v) v = uint8_t(random());
  return p;
}

plane read(const cimg_imageConst* image) {
  cimg_windowConst w;
  EXPECT_EQ(cimg_windowConst_init(&w, image), 0);
  plane p(w.width, w.height);
  for (int32_t y = 0; y < w.height; ++y)
    for (int32_t x = 0; x < w.width; ++x) p.at(x, y) = cimg_windowConst_row<uint8_t>(&w, y)[x];
  return p;
}

cidut_binarizeParams paramsFor(int32_t method) {
  cidut_binarizeParams p;
  EXPECT_EQ(cidut_binarizeParams_construct(&p), 0);
  p.method = method;
  return p;
}

// The result in an unbound destination; mask, when given, receives the contrast mask.
plane binarize(const cimg_imageConst* source, const cidut_binarizeParams& p,
               plane* mask = nullptr) {
  heldImage out, maskImage;
  EXPECT_EQ(cidut_binarizeImage(&out.image, nullptr, nullptr, mask ? &maskImage.image : nullptr,
                                source, &p),
            0);
  if (mask) *mask = read(maskImage.constImage());
  return read(out.constImage());
}
plane binarize(const plane& in, const cidut_binarizeParams& p, plane* mask = nullptr) {
  const heldImage source({-1, 7, in.width, in.height}, in.v, 2, 77);
  return binarize(source.constImage(), p, mask);
}

TEST(Binarize, GlobalAndTileWorkedCases) {
  leakGuard guard;
  // Method 0 on 10 and 201: threshold 105 (rounded down), and 105 itself counts as light.
  plane twoLevels(9, 5, 10);
  for (int32_t x = 0; x < 9; x += 2) twoLevels.at(x, 2) = 201;
  plane out = binarize(twoLevels, paramsFor(CIDUT_BINARIZE_GLOBAL_MIDRANGE));
  for (size_t i = 0; i < out.v.size(); ++i) EXPECT_EQ(out.v[i], twoLevels.v[i] == 201 ? 255 : 0);
  // Method 1 splits two levels between them.
  EXPECT_EQ(binarize(twoLevels, paramsFor(CIDUT_BINARIZE_GLOBAL_WGV)).v, out.v);
  twoLevels.at(1, 1) = 105;
  twoLevels.at(3, 1) = 104;
  out = binarize(twoLevels, paramsFor(CIDUT_BINARIZE_GLOBAL_MIDRANGE));
  EXPECT_EQ(out.at(1, 1), 255);
  EXPECT_EQ(out.at(3, 1), 0);

  // Method 2: a flat tile of 128 has threshold 0 and turns white, a flat 0 stays black.
  cidut_binarizeParams p = paramsFor(CIDUT_BINARIZE_TILE_MIDRANGE);
  p.tilesX = p.tilesY = 1;
  EXPECT_EQ(binarize(plane(12, 8, 128), p).v, plane(12, 8, 255).v);
  EXPECT_EQ(binarize(plane(12, 8, 0), p).v, plane(12, 8, 0).v);

  // Method 3: tiles of 21 and 19 columns; thresholds (tile maximum + least minimum 20) / 2.
  plane scene(40, 10, 150);
  scene.at(30, 5) = 20;
  scene.at(2, 2) = 220;
  scene.at(3, 3) = 120;
  scene.at(4, 4) = 121;
  p = paramsFor(CIDUT_BINARIZE_TILE_MAX);
  p.tilesX = 2;
  p.tilesY = 1;
  out = binarize(scene, p);
  EXPECT_EQ(std::tuple(out.at(3, 3), out.at(4, 4), out.at(20, 0)), std::tuple(0, 255, 255));
  EXPECT_EQ(std::tuple(out.at(30, 5), out.at(21, 0)), std::tuple(0, 255));  // threshold 85
}

// A box of 3 cut to one row, placed to fit: dark where 3 x pixel < box sum - 3 x offset.
TEST(Binarize, LocalMeanWorkedRow) {
  leakGuard guard;
  plane row(5, 1);
  row.v = {10, 10, 10, 100, 50};  // box sums 30, 30, 120, 160, 160
  cidut_binarizeParams p = paramsFor(CIDUT_BINARIZE_LOCAL_MEAN);
  p.boxSize = 3;
  p.meanOffset = 0;
  EXPECT_EQ(binarize(row, p).v, (std::vector<uint8_t>{255, 255, 0, 255, 0}));
  p.meanOffset = 5;
  EXPECT_EQ(binarize(row, p).v, (std::vector<uint8_t>{255, 255, 0, 255, 255}));
  // A box of 128 at full white fills its column sums to 32640 without wrapping.
  const plane white(128, 128, 255);
  p.boxSize = 128;
  EXPECT_EQ(binarize(white, p).v, white.v);
}

// Dark 50 left of column 10, light 200 from it: within 4 of the step (columns 5 .. 14) the
// local range decides, elsewhere the global threshold; the mask marks the local places.
TEST(Binarize, LocalMinMaxWorkedStep) {
  leakGuard guard;
  plane step(20, 12, 50);
  for (int32_t y = 0; y < 12; ++y)
    for (int32_t x = 10; x < 20; ++x) step.at(x, y) = 200;
  cidut_binarizeParams p = paramsFor(CIDUT_BINARIZE_LOCAL_MINMAX);
  p.reduction = 0;
  plane mask(0, 0);
  const plane out = binarize(step, p, &mask);
  for (int32_t y = 0; y < 12; ++y)
    for (int32_t x = 0; x < 20; ++x) {
      EXPECT_EQ(out.at(x, y), x >= 10 ? 255 : 0) << x << ", " << y;
      EXPECT_EQ(mask.at(x, y), x >= 5 && x <= 14 ? 255 : 0) << x << ", " << y;
    }
}

TEST(Binarize, OutputPlacementAndArgumentChecks) {
  leakGuard guard;
  std::mt19937 random(3);
  const plane in = randomPlane(20, 10, random);
  heldImage source({-1, 11, 20, 10}, in.v, 4, 77);
  const cmath_xformLinear xform{{2, 0.5, 0, 3}, {4, -2}};
  ASSERT_EQ(cimg_image_setLinearImageFromClientXform(&source.image, &xform), 0);
  const cidut_binarizeParams p = paramsFor(CIDUT_BINARIZE_GLOBAL_MIDRANGE);
  const plane expected = binarize(in, p);
  // Placed at the source window, holding the result, with the source's transform.
  auto expectPlaced = [&](const heldImage& out) {
    const cstd_rect32 window = out.windowRect();
    EXPECT_EQ(std::tie(window.x, window.y), std::tuple(-1, 11));
    EXPECT_EQ(read(out.constImage()).v, expected.v);
    cmath_xformLinear got;
    cimg_image_getLinearImageFromClientXform(&out.image, &got);
    EXPECT_EQ(std::memcmp(&got, &xform, sizeof got), 0);
  };
  auto call = [&](heldImage& out, const cidut_binarizeParams* q = nullptr) {
    return cidut_binarizeImage(&out.image, nullptr, nullptr, nullptr, source.constImage(),
                               q ? q : &p);
  };

  // An unbound destination gets a new image.
  heldImage out;
  ASSERT_EQ(call(out), 0);
  expectPlaced(out);

  // A bound destination is written in its window only and moved to the source's place.
  heldImage bound({100, 200, 30, 16}, 9);
  cimg_image_window(&bound.image, 3, 4, 20, 10, 0);
  ASSERT_EQ(call(bound), 0);
  expectPlaced(bound);
  cimg_image_setEntire(&bound.image);
  const plane whole = read(bound.constImage());
  EXPECT_EQ(std::tuple(whole.at(2, 4), whole.at(23, 13), whole.at(3, 14)), std::tuple(9, 9, 9));
  cimg_image_window(&bound.image, 0, 0, 21, 10, 0);
  EXPECT_EQ(call(bound), CIDUT_ERR_IMAGE_SIZE);

  // A destination on the source's own pixels.
  cimg_image_window(&source.image, 0, 0, 5, 5, 0);
  cimg_image_assign(&out.image, &source.image);
  EXPECT_CHECK_FAILS(call(out));
}

int32_t inhibitAll(const char*) {
  return 1;
}

TEST(DivideBuffer, TruncatesQuotientsToBytes) {
  const uint32_t worked = 1000;
  uint8_t byte = 0;
  EXPECT_EQ(cidut_divideBufferByConstant32_8(&worked, 1, 3, &byte), 0);
  EXPECT_EQ(byte, 77);  // 333 mod 256

  // 37 values (vector blocks and a tail) on both paths; the byte after them untouched.
  std::vector<uint32_t> source(37);
  for (size_t i = 0; i < source.size(); ++i) source[i] = 0xFFFFFFFFu - uint32_t(i * 123457);
  for (const bool inhibited : {false, true}) {
    cprt_isOptimizationInhibitedFP = inhibited ? inhibitAll : nullptr;
    std::vector<uint8_t> out(38, 0xEE);
    EXPECT_EQ(cidut_divideBufferByConstant32_8(source.data(), 37, 7, out.data()), 0);
    cprt_isOptimizationInhibitedFP = nullptr;
    for (size_t i = 0; i < 37; ++i) ASSERT_EQ(out[i], uint8_t(source[i] / 7)) << i;
    EXPECT_EQ(out.back(), 0xEE);
  }
  EXPECT_EQ(cidut_divideBufferByConstant32_8(&worked, 0, 3, &byte), 0);
  EXPECT_CHECK_FAILS(cidut_divideBufferByConstant32_8(&worked, 1, 0, &byte));
}

}  // namespace
