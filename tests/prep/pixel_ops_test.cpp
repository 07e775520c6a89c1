// Pixel operations against per-pixel references, the row extremum filter, failure exits.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "ci_id/priv/ci_idut/prep.h"
#include "pixel_test_images.h"
#include "support/hooks.h"

namespace {

// The rounded binomial smoothing of window pixel (cx, cy), kernel 2 nx + 1 by 2 ny + 1.
uint8_t binomialAt(const heldImage& image, int32_t cx, int32_t cy, int32_t nx, int32_t ny) {
  auto pascal = [](int32_t n) {
    std::vector<int64_t> row{1};
    for (int32_t k = 0; k < 2 * n; ++k) {
      std::vector<int64_t> next(row.size() + 1, 0);
      for (size_t i = 0; i < row.size(); ++i) next[i] += row[i], next[i + 1] += row[i];
      row = next;
    }
    return row;
  };
  const std::vector<int64_t> wx = pascal(nx), wy = pascal(ny);
  int64_t sum = 0;
  for (int32_t dy = -ny; dy <= ny; ++dy)
    for (int32_t dx = -nx; dx <= nx; ++dx)
      sum += wx[dx + nx] * wy[dy + ny] * image.at(cx + dx, cy + dy);
  const int64_t total = int64_t{1} << (2 * nx + 2 * ny);
  return uint8_t((sum + total / 2) / total);
}

TEST(PixelFilters, SmoothIntoClientPlacesNoRegionAndOverlap) {
  std::mt19937 random(1);
  heldImage source({10, 20, 50, 40}, random);
  const cmath_xformLinear clientFromImage{{0.5, 0, 0, 0.5}, {3, -1}};
  ASSERT_EQ(cimg_image_setLinearClientFromImageXform(&source.image, &clientFromImage), 0);
  ASSERT_EQ(cimg_image_window(&source.image, 2, 3, 41, 33, 0), 0);  // image (12, 23)

  // Gaussian 5 x 3, every other column, y sampling 30 limited to 24 (every 25th row).
  heldImage gauss;
  ASSERT_EQ(cidut_ip_gauss8(source.constImage(), &gauss.image, 2, 1, 1, 30), 0);
  ASSERT_EQ(std::tuple(gauss.window().width, gauss.window().height), std::tuple(19, 2));
  for (int32_t j = 0; j < 2; ++j)
    for (int32_t i = 0; i < 19; ++i)
      ASSERT_EQ(gauss.at(i, j), binomialAt(source, 2 + 2 * i, 1 + 25 * j, 2, 1)) << i << ", " << j;
  EXPECT_NEAR(mapped(imageFromClient(gauss), 25.25 + 3, 0).x, 18.5, 1e-9);  // kernel at x 50

  // Box 3 x 2 with x parameter 1 (every other box) and y parameter 100 limited to 65.
  heldImage box;
  ASSERT_EQ(cidut_ip_plpf8(source.constImage(), &box.image, 3, 1, 2, 100), 0);
  ASSERT_EQ(std::tuple(box.window().width, box.window().height), std::tuple(20, 1));
  for (int32_t i = 0; i < 20; ++i) {
    int32_t sum = 0;
    for (int32_t y = 0; y < 2; ++y)
      for (int32_t x = 0; x < 3; ++x) sum += source.at(2 * i + x, y);
    ASSERT_EQ(box.at(i, 0), (sum + 3) / 6) << i;
  }

  // The mask form: gain 256 turns every box that holds a set pixel to 255.
  std::vector<uint8_t> dots(12 * 9, 0);
  dots[4 * 12 + 5] = 255;
  heldImage mask({0, 0, 12, 9}, dots), spread;
  ASSERT_EQ(cidut_ip_plpf8Mask(mask.constImage(), &spread.image, 3, 0, 3, 0), 0);
  ASSERT_EQ(spread.window().width, 10);  // boxes at x 3 .. 5, y 2 .. 4 hold the dot
  EXPECT_EQ(std::tuple(spread.at(3, 2), spread.at(5, 4), spread.at(6, 4), spread.at(3, 5)),
            std::tuple(255, 255, 0, 0));

  // A destination on the source's rows is refused.
  ASSERT_EQ(cimg_image_setEntire(&source.image), 0);  // 50 x 40
  heldImage sameBuffer;
  cimg_image_assign(&sameBuffer.image, &source.image);
  ASSERT_EQ(cimg_image_window(&sameBuffer.image, 0, 10, 50, 20, 0), 0);
  ASSERT_EQ(cimg_image_window(&source.image, 0, 0, 50, 15, 0), 0);
  EXPECT_EQ(cidut_ip_plpf8Mask(source.constImage(), &sameBuffer.image, 2, 0, 2, 0),
            CIDUT_ERR_MEMORY_OVERLAP);

  EXPECT_CHECK_FAILS(cidut_ip_gauss8(source.constImage(), nullptr, 1, 0, 1, 0));
}

TEST(PixelResolution, SamplingKeepsCellCentresAndExpansionReplicates) {
  std::vector<uint8_t> grid(25);
  for (int32_t i = 0; i < 25; ++i) grid[i] = uint8_t(10 * (i / 5) + i % 5);
  heldImage source({0, 0, 5, 5}, grid);
  ASSERT_EQ(cimg_image_setOrigin(&source.image, 7, 9), 0);

  // 2 x 2 steps: pixels (0, 0), (2, 0), (0, 2), (2, 2); output pixels centred on them.
  heldImage halved;
  ASSERT_EQ(cidut_ip_pelSample(source.constImage(), &halved.image, 2, 2), 0);
  EXPECT_EQ(halved.pixels(), (std::vector<uint8_t>{0, 2, 20, 22}));
  int32_t ox = 0, oy = 0;
  cimg_image_getOrigin(&halved.image, &ox, &oy);
  EXPECT_EQ(std::tie(ox, oy), std::tuple(7, 9));
  const cmath_xformLinear h = imageFromClient(halved);
  EXPECT_EQ(std::tie(h.matrix.xx, h.matrix.yy, h.translation.x, h.translation.y),
            std::tuple(0.5, 0.5, 0.25, 0.25));

  // Expansion 2 x 3: blocks of each pixel, origin and transform scaled.
  heldImage corner({0, 0, 2, 2}, {1, 2, 3, 4}), big;
  ASSERT_EQ(cimg_image_setOrigin(&corner.image, 7, 9), 0);
  ASSERT_EQ(cidut_ip_pelExpand8(corner.constImage(), &big.image, 2, 3), 0);
  EXPECT_EQ(big.pixels(), (std::vector<uint8_t>{1, 1, 2, 2, 1, 1, 2, 2, 1, 1, 2, 2,
                                                3, 3, 4, 4, 3, 3, 4, 4, 3, 3, 4, 4}));
  const cmath_vect centre = mapped(imageFromClient(big), 1.5, 0.5);
  EXPECT_EQ(std::tie(centre.x, centre.y), std::tuple(3.0, 1.5));

  heldImage out;
  EXPECT_EQ(cidut_ip_pelSample(source.constImage(), &out.image, 0, 1), CIDUT_ERR_IMAGE_SIZE);
}

TEST(PixelValues, MapExtremesInversionAndTransposition) {
  std::mt19937 random(3);
  heldImage source({5, 6, 30, 20}, random);
  ASSERT_EQ(cimg_image_window(&source.image, 3, 2, 17, 11, 0), 0);
  const cmath_xformLinear rotation{{0, -1, 1, 0}, {2, 3}};
  ASSERT_EQ(cimg_image_setLinearImageFromClientXform(&source.image, &rotation), 0);
  const std::vector<uint8_t> before = source.pixels();

  uint8_t table[256];
  for (int32_t v = 0; v < 256; ++v) table[v] = uint8_t(v * 7 + 3);
  heldImage mappedImage;
  ASSERT_EQ(cip_image8_map(&mappedImage.image, source.constImage(), table), 0);
  std::vector<uint8_t> expected;
  for (uint8_t v : before) expected.push_back(table[v]);
  EXPECT_EQ(mappedImage.pixels(), expected);

  uint8_t low = 0, high = 0;
  ASSERT_EQ(cidut_ip_pelMinMax8(source.constImage(), &low, &high), 0);
  EXPECT_EQ(std::tuple(low, high), std::tuple(*std::min_element(before.begin(), before.end()),
                                              *std::max_element(before.begin(), before.end())));

  heldImage transposed;
  ASSERT_EQ(cidut_ip_pelTranspose8(source.constImage(), &transposed.image), 0);
  ASSERT_EQ(std::tuple(transposed.window().width, transposed.window().height), std::tuple(11, 17));
  for (int32_t y = 0; y < 11; ++y)
    for (int32_t x = 0; x < 17; ++x) ASSERT_EQ(transposed.at(y, x), before[size_t(y) * 17 + x]);

  // Inversion works in place on the window only.
  ASSERT_EQ(cimg_image_setEntire(&source.image), 0);
  std::vector<uint8_t> expectedInverse = source.pixels();
  ASSERT_EQ(cimg_image_window(&source.image, 3, 2, 17, 11, 0), 0);
  ASSERT_EQ(cidut_ip_pelInvert8(&source.image), 0);
  for (int32_t y = 2; y < 13; ++y)
    for (int32_t x = 3; x < 20; ++x) expectedInverse[size_t(y) * 30 + x] ^= 0xFF;
  ASSERT_EQ(cimg_image_setEntire(&source.image), 0);
  EXPECT_EQ(source.pixels(), expectedInverse);

  heldImage unbound, out;
  EXPECT_EQ(cidut_ip_pelInvert8(&unbound.image), CIDUT_ERR_IMAGE_UNBOUND);
  EXPECT_CHECK_FAILS(cip_image8_map(&out.image, source.constImage(), nullptr));
}

TEST(PixelProjection, ColumnMeansOfTheCoveredBins) {
  std::mt19937 random(4);
  heldImage source({0, 0, 30, 20}, random);
  heldImage out;
  int32_t count = -1;
  // Bins 0 .. 19 at x 20.5 .. 39.5, rows 3 .. 12; bins from x 30 on lie off the image.
  const cmath_shapeAffineRect right{{20, 3}, {40, 3}, {20, 13}};
  ASSERT_EQ(cidut_ip_project8(source.constImage(), &right, &count, &out.image), 0);
  EXPECT_EQ(std::tuple(count, out.window().width), std::tuple(20, 10));
  // Bins 5 .. 9 of a rectangle starting left of the image: the rounded column means.
  const cmath_shapeAffineRect left{{-5, 2}, {5, 2}, {-5, 6}};
  ASSERT_EQ(cidut_ip_project8(source.constImage(), &left, &count, &out.image), 0);
  ASSERT_EQ(std::tuple(count, out.window().width, out.window().x0), std::tuple(10, 5, 5));
  for (int32_t i = 0; i < 5; ++i) {
    int32_t sum = 0;
    for (int32_t y = 2; y < 6; ++y) sum += source.at(i, y);
    EXPECT_EQ(out.at<uint32_t>(i, 0), uint32_t((sum + 2) / 4)) << i;
  }
}

TEST(PixelArithmetic, SaturatingSubtractionAndAdditionOverTheCommonWindow) {
  std::mt19937 random(5);
  heldImage a({0, 0, 20, 15}, random), b({8, 5, 20, 15}, random);
  const cmath_xformLinear shift{{1, 0, 0, 1}, {-2, 6}};
  ASSERT_EQ(cimg_image_setLinearImageFromClientXform(&a.image, &shift), 0);
  for (const bool subtract : {true, false}) {
    heldImage out;
    ASSERT_EQ(subtract ? cidut_ip_pelSub8(a.constImage(), b.constImage(), &out.image, 0)
                       : cidut_ip_pelAdd8(a.constImage(), b.constImage(), &out.image, 0),
              0);
    ASSERT_EQ(std::tuple(out.window().width, out.window().x0), std::tuple(20, 0));
    EXPECT_DOUBLE_EQ(imageFromClient(out).translation.y, 6.0);
    for (int32_t y = 0; y < 15; ++y)
      for (int32_t x = 0; x < 20; ++x) {
        int32_t expected = a.atImage(x, y);
        if (x >= 8 && y >= 5) {
          const int32_t v = b.atImage(x, y);
          expected = subtract ? std::max(0, expected - v) : std::min(255, expected + v);
        }
        ASSERT_EQ(out.atImage(x, y), expected) << x << ", " << y;
      }
  }
  // Windows that do not meet: a copy of A, whatever the flags.
  heldImage apart({40, 40, 5, 5}, random), copy;
  ASSERT_EQ(cidut_ip_pelSub8(a.constImage(), apart.constImage(), &copy.image, 3), 0);
  EXPECT_EQ(copy.pixels(), a.pixels());
  EXPECT_CHECK_FAILS(cidut_ip_pelAdd8(a.constImage(), b.constImage(), &copy.image, 1));
}

TEST(RowExtrema, WedgeFilterMatchesWindowScanAndCountsDrops) {
  const std::vector<uint8_t> worked{1, 5, 2, 2, 0};
  std::vector<uint8_t> out(5);
  for (const int32_t k : {3, 4, 2}) {  // half-width 1 for all three
    ASSERT_EQ(rowExtremaMax(k, worked.data(), out.data(), 5, nullptr), 0);
    EXPECT_EQ(out, (std::vector<uint8_t>{5, 5, 5, 2, 2})) << k;
    ASSERT_EQ(rowExtremaMin(k, worked.data(), out.data(), 5, nullptr), 0);
    EXPECT_EQ(out, (std::vector<uint8_t>{1, 1, 2, 0, 0})) << k;
  }

  // Drops: a rising row drops the tail at every push, a flat one ties.
  std::vector<uint8_t> rising(10), flat(10, 4), result(10);
  for (int32_t i = 0; i < 10; ++i) rising[i] = uint8_t(i);
  int32_t drops = -1;
  ASSERT_EQ(rowExtremaMax(3, rising.data(), result.data(), 10, &drops), 0);
  EXPECT_EQ(drops, 8);  // indices 2 .. 9 each push one out
  ASSERT_EQ(rowExtremaMin(3, flat.data(), result.data(), 10, &drops), 0);
  EXPECT_EQ(drops, 8);

  EXPECT_CHECK_FAILS(rowExtremaMax(5, worked.data(), out.data(), 5, nullptr));  // n > k

}

}  // namespace
