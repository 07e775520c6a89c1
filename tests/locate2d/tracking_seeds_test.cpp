// Seed scanners: positions, strengths, skipped rows, caps, the pair filter and sorting.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/locate2d/row_edges.h"
#include "support/synthetic.h"

namespace {

// Every row of the image's window gets grey(x) at column x.
void fillColumns(testImage& image, const std::function<uint8_t(int32_t)>& grey) {
  cstd_rect32 window;
  cimg_imageConst_getWindow(image.constImage(), &window);
  for (int32_t y = 0; y < window.height; ++y)
    for (int32_t x = 0; x < window.width; ++x) image.at(x, y) = grey(x);
}

std::vector<cid2d_trackingSeed> seedsOnRows(const cimg_imageConst* image, std::vector<int32_t> rows,
                                            int32_t maxSeeds = 100, int32_t minContrast = 45,
                                            int32_t sort = 0, int32_t pairFilter = 0,
                                            double spacing = 0) {
  std::vector<cid2d_trackingSeed> seeds(std::max(maxSeeds, 1));
  int32_t count = -1;
  EXPECT_EQ(cid2d_getHorizontalTrackingSeeds(image, rows.data(), int32_t(rows.size()), maxSeeds,
                                             minContrast, sort, seeds.data(), &count, pairFilter,
                                             spacing),
            0);
  seeds.resize(count);
  return seeds;
}

bool inSeedOrder(const std::vector<cid2d_trackingSeed>& seeds) {
  return std::is_sorted(seeds.begin(), seeds.end(), [](const auto& a, const auto& b) {
    return a.strength != b.strength ? a.strength > b.strength : a.scanIndex < b.scanIndex;
  });
}

TEST(TrackingSeeds, StepEdgeGivesOneSeedPerValidRow) {
  testImage image(60, 30, 0);
  fillColumns(image, [](int32_t x) -> uint8_t { return x < 17 ? 50 : 130; });  // contrast 80
  const auto seeds = seedsOnRows(image.constImage(), {0, 1, 5, 26, 27, 29});
  ASSERT_EQ(seeds.size(), 3u);  // rows 0, 27 (height - 3) and 29 are skipped
  for (size_t i = 0; i < seeds.size(); ++i) {
    const cid2d_trackingSeed& s = seeds[i];
    EXPECT_EQ(s.x, 16);  // the dark pixel just before the edge
    EXPECT_EQ(s.strength, 3 * 80);
    EXPECT_EQ(s.meanGrey, (50 + 50 + 130 + 130) / 4);
    EXPECT_EQ(s.polarity, 1);
    EXPECT_EQ(s.scanIndex, int32_t(i + 1));
    EXPECT_EQ(s.startX, 18 * 256);
    EXPECT_EQ(s.endX, 15 * 256);
  }
  fillColumns(image, [](int32_t x) -> uint8_t { return x < 17 ? 130 : 50; });
  EXPECT_EQ(seedsOnRows(image.constImage(), {5})[0].polarity, 0);
  EXPECT_TRUE(seedsOnRows(image.constImage(), {5}, 100, 241).empty());

  // Rows in image coordinates, seeds in the window's; 5 columns are too few.
  ASSERT_EQ(cimg_image_window(image.image(), 10, 4, 40, 20, 0), 0);
  const auto windowed = seedsOnRows(image.constImage(), {4, 5, 20, 21});  // window rows 0..19
  ASSERT_EQ(windowed.size(), 2u);
  EXPECT_EQ(windowed[0].x, 16 - 10);
  EXPECT_EQ(windowed[0].y, 5 - 4);
  EXPECT_EQ(windowed[1].y, 20 - 4);
  ASSERT_EQ(cimg_image_window(image.image(), 14, 0, 5, 10, 0), 0);
  EXPECT_TRUE(seedsOnRows(image.constImage(), {5}).empty());
}

TEST(TrackingSeeds, CapPairFilterAndSort) {
  testImage image(90, 12, 0);
  fillColumns(image, [](int32_t x) -> uint8_t { return (x / 20) % 2 ? 40 : 200; });
  auto seeds = seedsOnRows(image.constImage(), {3, 4}, 1);
  ASSERT_EQ(seeds.size(), 1u);
  EXPECT_EQ(seeds[0].x, 19);

  // Isolated edges: the first two stay, later ones overwrite the second.
  seeds = seedsOnRows(image.constImage(), {3}, 100, 45, 0, 1, 8.0);
  ASSERT_EQ(seeds.size(), 2u);
  EXPECT_EQ(seeds[0].x, 19);
  EXPECT_EQ(seeds[1].x, 79);
  EXPECT_EQ(seedsOnRows(image.constImage(), {3}, 100, 45, 0, 1, 25.0).size(), 4u);

  for (int32_t x = 0; x < 90; ++x) image.at(x, 5) = x < 40 ? 100 : 160;  // weaker edge
  seeds = seedsOnRows(image.constImage(), {5, 3, 4}, 20, 45, 1);
  ASSERT_EQ(seeds.size(), 9u);
  EXPECT_TRUE(inSeedOrder(seeds));
  EXPECT_EQ(seeds.back().scanIndex, 0);
}

TEST(TrackingSeeds, ThreeScanlinesKeepsTheLeftmostAndTheStrongest) {
  testImage image(500, 12, 0);
  fillColumns(image, [](int32_t x) -> uint8_t { return (x / 8) % 2 ? 60 + x / 4 : 40; });
  const int32_t rows[] = {3, 5, 7};
  auto scan = [&](int32_t maxSeeds) {
    std::vector<cid2d_trackingSeed> seeds(maxSeeds);
    int32_t count = 0;
    EXPECT_EQ(cid2d_getHorizontalTrackingSeeds_ThreeScanlines(image.constImage(), rows, 99,
                                                              maxSeeds, 45, seeds.data(), &count),
              0);
    seeds.resize(count);
    return seeds;
  };
  EXPECT_EQ(scan(5).size(), 5u);  // a small cap is never exceeded
  const auto seeds = scan(200);
  const int32_t count = int32_t(seeds.size());
  ASSERT_EQ(count, 36);
  // The first row's leftmost edge first, then the strongest.
  int32_t leftmost = 500;
  for (int32_t i = 0; i < count; ++i)
    if (seeds[i].scanIndex == 0) leftmost = std::min(leftmost, seeds[i].x);
  EXPECT_EQ(seeds[0].x, leftmost);
  EXPECT_EQ(seeds[0].scanIndex, 0);
  for (int32_t i = 4; i < count; ++i) EXPECT_GE(seeds[i - 1].strength, seeds[i].strength);
}

TEST(TrackingSeeds, SingleRowScannerHasAFixedThreshold) {
  testImage image(40, 10, 0);
  cimg_windowConst window;
  cimg_windowConst_init(&window, image.constImage());
  cid2d_trackingSeed seeds[4];
  int32_t count = 0;
  for (uint8_t light : {115, 114}) {  // strength 45 (above 44), then 42
    fillColumns(image, [&](int32_t x) { return x < 20 ? uint8_t(100) : light; });
    ASSERT_EQ(cid2d_getRowTrackingSeeds(window, 4, 4, 0, seeds, &count), 0);
    ASSERT_EQ(count, light == 115 ? 1 : 0);
    if (count == 1) {
      EXPECT_EQ(seeds[0].scanIndex, 4);
    }
  }
  fillColumns(image, [](int32_t x) { return x < 20 ? uint8_t(0) : uint8_t(200); });
  EXPECT_EQ(cid2d_getRowTrackingSeeds(window, 7, 4, 0, seeds, &count), 0);  // height - 3
  EXPECT_EQ(count, 0);
}

}  // namespace
