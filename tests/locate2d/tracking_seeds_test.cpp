// Seed scanners: positions, strengths, skipped rows, caps, the pair filter and sorting.
#include <gtest/gtest.h>

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
                                            int32_t minContrast = 45) {
  std::vector<cid2d_trackingSeed> seeds(100);
  int32_t count = -1;
  EXPECT_EQ(cid2d_getHorizontalTrackingSeeds(image, rows.data(), int32_t(rows.size()), 100,
                                             minContrast, 0, seeds.data(), &count, 0, 0),
            0);
  seeds.resize(count);
  return seeds;
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
  EXPECT_TRUE(seedsOnRows(image.constImage(), {5}, 241).empty());

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
    EXPECT_TRUE(count == 0 || seeds[0].scanIndex == 4);
  }
  fillColumns(image, [](int32_t x) { return x < 20 ? uint8_t(0) : uint8_t(200); });
  EXPECT_EQ(cid2d_getRowTrackingSeeds(window, 7, 4, 0, seeds, &count), 0);  // height - 3
  EXPECT_EQ(count, 0);
}

}  // namespace
