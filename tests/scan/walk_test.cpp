// Pixel walks: the DDA step and the segment walker with its pixel address.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/scan/line_walk.h"
#include "support/hooks.h"

namespace {

TEST(BresWalk, FollowsTheExactLineWithinItsRoundingAndRefusesBadDirections) {
  for (double angle : {M_PI / 4, -2.0}) {  // the diagonal tie: y dominates, x carries every step
    const int32_t d[2] = {int32_t(std::lround(65536 * std::cos(angle))),
                          int32_t(std::lround(65536 * std::sin(angle)))};
    const int major = std::abs(d[0]) <= std::abs(d[1]) ? 1 : 0;  // y on ties
    const double slope = double(d[1 - major]) / std::abs(d[major]);
    int32_t pixel[2] = {0, 0}, fraction[2] = {0, 0};
    for (int k = 1; k <= 300; ++k) {
      ASSERT_EQ(cidc_bresWalk(pixel, fraction, d), 0);
      ASSERT_EQ(pixel[major], d[major] > 0 ? k : -k);
      ASSERT_TRUE(fraction[1 - major] >= 0 && fraction[1 - major] < 0x10000);
      const double minor = pixel[1 - major] + fraction[1 - major] / 65536.0;
      // The slope is m / (|M| >> 2) in 16.16: off by 2^-16 plus up to 4 / |M| of itself.
      ASSERT_NEAR(minor, k * slope, k * (1 + 4.0 * 65536 / std::abs(d[major])) / 65536) << angle;
    }
  }
  int32_t pixel[2] = {0, 0}, fraction[2] = {0, 0};
  const int32_t huge[2] = {0x20000, 0x20001};
  EXPECT_CHECK_FAILS(cidc_bresWalk(pixel, fraction, huge));  // 2.0 << 14 wraps negative
}

using pixels = std::vector<std::pair<int32_t, int32_t>>;

// The pixels visited from a to b (1/16 px) in an ROI that holds both; checks that the
// address follows the position.
pixels walk(cidc_point64 a, cidc_point64 b) {
  constexpr int32_t stride = 1000;
  cimg_windowConst w{};
  w.width = 400;
  w.height = 400;
  cidc_windowROI roi;
  EXPECT_EQ(cidc_windowROI_init(&roi, &w, 1, 1, 200, 200), 0);
  cidc_scanLineSeg seg;
  const cidc_point64 pts[2] = {a, b};
  EXPECT_EQ(cidc_scanLineSeg_initPoints(&seg, pts, nullptr), 0);
  cidc_scanShape shape;
  cidc_scanShape_initScanLineSeg(&shape, &seg);
  cidc_lineWalk walk;
  EXPECT_EQ(cidc_lineWalk_init(&walk, &roi, &shape, stride), 0);
  static const uint8_t image[1] = {0};
  const uint8_t* address = image;
  int32_t position[2] = {walk.x0, walk.y0};
  int32_t error = 0, moved = 1;
  pixels visited{{position[0], position[1]}};
  for (;;) {
    cidc_lineWalk_step(&walk, position, &error, &moved, &address);
    if (!moved) return visited;
    visited.emplace_back(position[0], position[1]);
    EXPECT_EQ(address - image, (position[1] - walk.y0) * stride + (position[0] - walk.x0));
  }
}
cidc_point64 centre(int32_t x, int32_t y) {
  return {16 * x + 8, 16 * y + 8};
}

TEST(LineWalk, VisitsTheBresenhamPixels) {
  EXPECT_EQ(walk(centre(0, 0), centre(5, 2)),
            (pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
  EXPECT_EQ(walk(centre(0, 0), centre(-2, -5)),
            (pixels{{0, 0}, {0, -1}, {-1, -2}, {-1, -3}, {-2, -4}, {-2, -5}}));
  EXPECT_EQ(walk(centre(500, 0), centre(600, 0)), (pixels{{0, 0}}));  // outside the ROI
}

}  // namespace
