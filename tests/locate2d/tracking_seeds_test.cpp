// Seed scanners and the tracking records.
#include <gtest/gtest.h>

#include <vector>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/locate2d/row_edges.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

// Columns [0, edge) dark, the rest light.
void fillStep(testImage& image, int32_t width, int32_t height, int32_t edge, uint8_t dark,
              uint8_t light) {
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) image.at(x, y) = x < edge ? dark : light;
}

std::vector<cid2d_trackingSeed> seedsOnRows(const cimg_imageConst* image, std::vector<int32_t> rows,
                                            int32_t maxSeeds = 100, int32_t minContrast = 45,
                                            int32_t pairFilter = 0, double spacing = 0) {
  std::vector<cid2d_trackingSeed> seeds(std::max(maxSeeds, 1));
  int32_t count = -1;
  EXPECT_EQ(cid2d_getHorizontalTrackingSeeds(image, rows.data(), int32_t(rows.size()), maxSeeds,
                                             minContrast, 0, seeds.data(), &count, pairFilter,
                                             spacing),
            0);
  seeds.resize(count);
  return seeds;
}

TEST(TrackingSeeds, StepEdgeGivesOneSeedPerValidRow) {
  testImage image(40, 20, 0);
  fillStep(image, 40, 20, 17, 50, 130);  // contrast 80
  const auto seeds = seedsOnRows(image.constImage(), {0, 1, 5, 16, 17, 19});
  ASSERT_EQ(seeds.size(), 3u);  // rows 0, 17 (height - 3) and 19 are skipped
  for (size_t i = 0; i < seeds.size(); ++i) {
    const cid2d_trackingSeed& s = seeds[i];
    EXPECT_EQ(s.x, 16);  // the dark pixel just before the edge
    EXPECT_EQ(s.strength, 3 * 80);
    EXPECT_EQ(s.meanGrey, (50 + 50 + 130 + 130) / 4);
    EXPECT_EQ(s.polarity, 1);
    EXPECT_EQ(s.scanIndex, int32_t(i + 1));
    EXPECT_EQ(s.startX, 18 * 256);
    EXPECT_EQ(s.endX, 15 * 256);
    EXPECT_EQ(s.startY, s.y * 256);
  }
  testImage uniform(40, 20, 90);
  EXPECT_TRUE(seedsOnRows(uniform.constImage(), {5, 6, 7}, 100, 1).empty());
  // Light to dark has polarity 0; below the contrast threshold nothing is found.
  fillStep(image, 40, 20, 17, 130, 50);
  EXPECT_EQ(seedsOnRows(image.constImage(), {5})[0].polarity, 0);
  EXPECT_TRUE(seedsOnRows(image.constImage(), {5}, 100, 241).empty());
}

TEST(TrackingSeeds, WindowOffsetAndNarrowWindow) {
  testImage image(60, 30, 0);
  fillStep(image, 60, 30, 31, 20, 200);
  ASSERT_EQ(cimg_image_window(image.image(), 10, 4, 40, 20, 0), 0);
  const auto seeds = seedsOnRows(image.constImage(), {4, 5, 20, 21});  // window rows 0..19
  ASSERT_EQ(seeds.size(), 2u);
  EXPECT_EQ(seeds[0].x, 30 - 10);
  EXPECT_EQ(seeds[0].y, 5 - 4);
  EXPECT_EQ(seeds[1].y, 20 - 4);
  ASSERT_EQ(cimg_image_window(image.image(), 18, 0, 5, 10, 0), 0);  // 5 wide
  EXPECT_TRUE(seedsOnRows(image.constImage(), {5}).empty());
}

TEST(TrackingSeeds, CapPairFilterAndSort) {
  // Bars of 20 pixels, light first: edges after columns 19, 39, 59 and 79 on every row.
  testImage image(90, 12, 0);
  for (int32_t y = 0; y < 12; ++y)
    for (int32_t x = 0; x < 90; ++x) image.at(x, y) = (x / 20) % 2 ? 40 : 200;
  auto seeds = seedsOnRows(image.constImage(), {3, 4}, 1);
  ASSERT_EQ(seeds.size(), 1u);
  EXPECT_EQ(seeds[0].x, 19);

  // Isolated edges (spacing 20 >= 8): the first two stay, later ones overwrite the second.
  seeds = seedsOnRows(image.constImage(), {3}, 100, 45, 1, 8.0);
  ASSERT_EQ(seeds.size(), 2u);
  EXPECT_EQ(seeds[0].x, 19);
  EXPECT_EQ(seeds[1].x, 79);
  // Close alternating edges (spacing 20 < 25) are all kept.
  EXPECT_EQ(seedsOnRows(image.constImage(), {3}, 100, 45, 1, 25.0).size(), 4u);

  // Sorting: stronger first, equal strength by scan index.
  for (int32_t x = 0; x < 90; ++x) image.at(x, 5) = x < 40 ? 100 : 160;  // weaker edge
  std::vector<cid2d_trackingSeed> sorted(20);
  const int32_t rows[] = {5, 3, 4};
  int32_t count = 0;
  ASSERT_EQ(cid2d_getHorizontalTrackingSeeds(image.constImage(), rows, 3, 20, 45, 1, sorted.data(),
                                             &count, 0, 0),
            0);
  ASSERT_EQ(count, 9);
  for (int32_t i = 1; i < count; ++i) {
    EXPECT_GE(sorted[i - 1].strength, sorted[i].strength);
    if (sorted[i - 1].strength == sorted[i].strength) {
      EXPECT_LE(sorted[i - 1].scanIndex, sorted[i].scanIndex);
    }
  }
  EXPECT_EQ(sorted[count - 1].scanIndex, 0);
}

TEST(TrackingSeeds, ThreeScanlinesKeepsTheLeftmostAndTheStrongest) {
  // 60 edges per row of growing contrast; rows 1 and 2 likewise.
  testImage image(500, 12, 0);
  for (int32_t y = 0; y < 12; ++y)
    for (int32_t x = 0; x < 500; ++x) image.at(x, y) = (x / 8) % 2 ? uint8_t(60 + x / 4) : 40;
  const int32_t rows[] = {3, 5, 7};
  std::vector<cid2d_trackingSeed> seeds(200);
  int32_t count = 0;
  ASSERT_EQ(cid2d_getHorizontalTrackingSeeds_ThreeScanlines(image.constImage(), rows, 99, 200, 45,
                                                            seeds.data(), &count),
            0);
  EXPECT_EQ(count, 36);
  // The first stays the row's leftmost edge; the second and third are row 0's strongest.
  int32_t leftmost = 500;
  for (int32_t i = 0; i < count; ++i)
    if (seeds[i].scanIndex == 0) leftmost = std::min(leftmost, seeds[i].x);
  EXPECT_EQ(seeds[0].x, leftmost);
  EXPECT_EQ(seeds[0].scanIndex, 0);
  for (int32_t i = 4; i < count; ++i) EXPECT_GE(seeds[i - 1].strength, seeds[i].strength);

  // A small cap is never exceeded.
  ASSERT_EQ(cid2d_getHorizontalTrackingSeeds_ThreeScanlines(image.constImage(), rows, 0, 5, 45,
                                                            seeds.data(), &count),
            0);
  EXPECT_EQ(count, 5);
}

TEST(TrackingSeeds, SingleRowScannerHasAFixedThreshold) {
  testImage image(40, 10, 0);
  fillStep(image, 40, 10, 20, 100, 115);  // strength 45: above 44
  cimg_windowConst window;
  cimg_windowConst_init(&window, image.constImage());
  cid2d_trackingSeed seeds[4];
  int32_t count = 0;
  ASSERT_EQ(cid2d_getRowTrackingSeeds(window, 4, 4, 0, seeds, &count), 0);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(seeds[0].scanIndex, 4);
  fillStep(image, 40, 10, 20, 100, 114);  // strength 42
  ASSERT_EQ(cid2d_getRowTrackingSeeds(window, 4, 4, 0, seeds, &count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(cid2d_getRowTrackingSeeds(window, 7, 4, 0, seeds, &count), 0);  // height - 3
  EXPECT_EQ(count, 0);
}

TEST(TrackingRecords, DefaultsAndResetLifecycle) {
  leakGuard guard;
  cid2d_trackingParams params;
  ASSERT_EQ(cid2d_trackingParams_init(&params), 0);
  EXPECT_EQ(params.minSize, 15.0);
  EXPECT_EQ(params.maxBoundaryPoints, 0x7FFFFFFF);
  EXPECT_EQ(params.numFitPasses, 2);
  EXPECT_EQ(params.scanRows, 1);

  cid2d_trackingResult result;
  ASSERT_EQ(cid2d_trackingResult_construct(&result), 0);
  EXPECT_EQ(result.fourthCornerInferred, 1);
  EXPECT_EQ(result.seed.strength, 0);
  result.found = 1;
  result.score = 900;
  result.seed.x = 7;
  result.rect.po.x = 3;
  ASSERT_EQ(cid2d_trackingResult_reset(&result), 0);
  EXPECT_EQ(result.found, 0);
  EXPECT_EQ(result.score, 0);
  EXPECT_EQ(result.seed.x, 7);
  EXPECT_EQ(result.rect.po.x, 3);
  EXPECT_EQ(cid2d_trackingResult_destruct(&result), 0);
  EXPECT_CHECK_FAILS(cid2d_trackingResult_construct(nullptr));
}

}  // namespace
