// Seed scanners: positions, strengths, skipped rows, caps, the pair filter and sorting.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>
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

// Positions and strengths of the peaks of one row, straight from the definition: at x the
// strength one step back is a strict maximum on its left, a non-strict one on its right.
std::vector<std::pair<int32_t, int32_t>> referencePeaks(const uint8_t* row, int32_t first,
                                                        int32_t last, int32_t s2, int32_t threshold) {
  std::vector<std::pair<int32_t, int32_t>> peaks;
  int32_t s1 = 0;
  for (int32_t x = first; x < last; ++x) {
    const int32_t g = std::abs(row[x + 2] + row[x + 3] + row[x + 4] - row[x - 1] - row[x] - row[x + 1]);
    if (s1 > s2 && s1 >= g && s1 >= threshold) peaks.push_back({x, s1});
    s2 = s1;
    s1 = g;
  }
  return peaks;
}

// Rows of flat stretches of every length, with weak and strong steps between them and a
// little noise, at thresholds from 1 to beyond any strength: the scanners pass over the
// flat runs quickly and must still report exactly the peaks the definition gives.
TEST(TrackingSeeds, ReportExactlyThePeaksOfTheDefinition) {
  constexpr int32_t width = 301, height = 24;
  testImage image(width, height, 0);
  std::mt19937 random(5);
  for (int32_t y = 0; y < height; ++y) {
    int32_t grey = 128;
    for (int32_t x = 0; x < width;) {
      const int32_t run = 1 + int32_t(random() % (y < 12 ? 40 : 6));
      grey = std::clamp(grey + int32_t(random() % 121) - 60, 0, 255);
      for (int32_t k = 0; k < run && x < width; ++k, ++x)
        image.at(x, y) = uint8_t(std::clamp(grey + int32_t(random() % 5) - 2, 0, 255));
    }
  }
  cimg_windowConst window;
  ASSERT_EQ(cimg_windowConst_init(&window, image.constImage()), 0);
  std::vector<cid2d_trackingSeed> seeds(width * height);
  for (const int32_t threshold : {1, 15, 33, 45, 120, 766}) {
    std::vector<int32_t> rows;
    for (int32_t y = 1; y < height - 3; ++y) rows.push_back(y);
    int32_t count = 0;
    ASSERT_EQ(cid2d_getHorizontalTrackingSeeds(image.constImage(), rows.data(), int32_t(rows.size()),
                                               int32_t(seeds.size()), threshold, 0, seeds.data(),
                                               &count, 0, 0),
              0);
    size_t next = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
      const uint8_t* row = cimg_windowConst_row<uint8_t>(&window, rows[i]);
      for (const auto& [x, strength] : referencePeaks(row, 2, width - 5, 256, threshold)) {
        ASSERT_LT(next, size_t(count)) << threshold;
        EXPECT_EQ(seeds[next].x, x) << threshold;
        EXPECT_EQ(seeds[next].y, rows[i]);
        EXPECT_EQ(seeds[next].strength, strength);
        ++next;
      }
    }
    EXPECT_EQ(next, size_t(count)) << threshold;
  }
  // The single-row scanner: its own span and start, and strengths above 44.
  for (int32_t y = 1; y < height - 3; ++y) {
    int32_t count = 0;
    ASSERT_EQ(cid2d_getRowTrackingSeeds(window, y, width, 0, seeds.data(), &count), 0);
    const auto peaks = referencePeaks(cimg_windowConst_row<uint8_t>(&window, y), 3, width - 6, 1000, 45);
    ASSERT_EQ(size_t(count), peaks.size()) << y;
    for (size_t i = 0; i < peaks.size(); ++i) EXPECT_EQ(seeds[i].x, peaks[i].first);
  }
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
