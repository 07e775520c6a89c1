// Pixel walks: the DDA step and the segment walker with its pixel address.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/scan/line_walk.h"
#include "support/hooks.h"

namespace {

TEST(BresWalk, StepsCarriesAndRefusals) {
  int32_t pixel[2] = {0, 0}, fraction[2] = {0, 0};
  const int32_t diagonal[2] = {0x10000, 0x10000};  // tie: y dominant, x carries every step
  for (int i = 1; i <= 3; ++i) {
    ASSERT_EQ(cidc_bresWalk(pixel, fraction, diagonal), 0);
    EXPECT_EQ(pixel[0], i);
    EXPECT_EQ(pixel[1], i);
    EXPECT_EQ(fraction[0], 0);
  }
  int32_t p[2] = {10, 10}, f[2] = {0, 0x8000};
  const int32_t half[2] = {0x10000, 0x8000};
  cidc_bresWalk(p, f, half);
  EXPECT_EQ(p[0], 11);
  EXPECT_EQ(p[1], 11);
  EXPECT_EQ(f[1], 0);
  const int32_t back[2] = {-0x8000, -0x10000};  // y dominant, x fraction borrows
  int32_t q[2] = {0, 0}, g[2] = {0x4000, 0};
  cidc_bresWalk(q, g, back);
  EXPECT_EQ(q[1], -1);
  EXPECT_EQ(q[0], -1);
  EXPECT_EQ(g[0], 0xC000);

  const int32_t zero[2] = {0, 0}, tiny[2] = {1, 3}, huge[2] = {0x20000, 0x20001};
  EXPECT_CHECK_FAILS(cidc_bresWalk(p, f, zero));
  EXPECT_CHECK_FAILS(cidc_bresWalk(p, f, tiny));  // dominant component below 4
  EXPECT_CHECK_FAILS(cidc_bresWalk(p, f, huge));  // 2.0 << 14 wraps negative
}

TEST(BresWalk, FollowsTheExactLineWithinItsRounding) {
  std::mt19937 random(3);
  for (int trial = 0; trial < 200; ++trial) {
    const double angle = std::uniform_real_distribution<double>(-3.14, 3.14)(random);
    const int32_t d[2] = {int32_t(std::lround(65536 * std::cos(angle))),
                          int32_t(std::lround(65536 * std::sin(angle)))};
    const int major = std::abs(d[0]) <= std::abs(d[1]) ? 1 : 0;
    const double slope = double(d[1 - major]) / std::abs(d[major]);
    int32_t pixel[2] = {0, 0}, fraction[2] = {0, 0};
    for (int k = 1; k <= 300; ++k) {
      ASSERT_EQ(cidc_bresWalk(pixel, fraction, d), 0);
      ASSERT_EQ(pixel[major], d[major] > 0 ? k : -k);
      ASSERT_GE(fraction[1 - major], 0);
      ASSERT_LT(fraction[1 - major], 0x10000);
      const double minor = pixel[1 - major] + fraction[1 - major] / 65536.0;
      // The slope is m / (|M| >> 2) in 16.16: off by 2^-16 plus up to 4 / |M| of itself.
      ASSERT_NEAR(minor, k * slope, k * (1 + 4.0 * 65536 / std::abs(d[major])) / 65536) << angle;
    }
  }
}

// A walker over the segment from a to b (1/16 px), with an ROI that holds both.
struct walkFixture {
  cidc_windowROI roi;
  cidc_scanLineSeg seg;
  cidc_scanShape shape;
  cidc_lineWalk walk;
  static constexpr int32_t stride = 1000;

  walkFixture(cidc_point64 a, cidc_point64 b) {
    cimg_windowConst w{};
    w.width = 400;
    w.height = 400;
    EXPECT_EQ(cidc_windowROI_init(&roi, &w, 1, 1, 200, 200), 0);
    const cidc_point64 pts[2] = {a, b};
    EXPECT_EQ(cidc_scanLineSeg_initPoints(&seg, pts, nullptr), 0);
    cidc_scanShape_initScanLineSeg(&shape, &seg);
    EXPECT_EQ(cidc_lineWalk_init(&walk, &roi, &shape, stride), 0);
  }

  // Between pixel centres.
  walkFixture(cidc_pixel32 a, cidc_pixel32 b)
      : walkFixture(cidc_point64{16 * a.x + 8, 16 * a.y + 8},
                    cidc_point64{16 * b.x + 8, 16 * b.y + 8}) {}

  // The visited pixels; checks that the address follows the position.
  std::vector<std::pair<int32_t, int32_t>> visit() {
    static const uint8_t image[1] = {0};
    const uint8_t* base = image;
    const uint8_t* address = base;
    int32_t position[2] = {walk.x0, walk.y0};
    int32_t error = 0, moved = 1;
    std::vector<std::pair<int32_t, int32_t>> pixels{{position[0], position[1]}};
    for (;;) {
      cidc_lineWalk_step(&walk, position, &error, &moved, &address);
      if (!moved) break;
      pixels.emplace_back(position[0], position[1]);
      EXPECT_EQ(address - base, (position[1] - walk.y0) * stride + (position[0] - walk.x0));
    }
    return pixels;
  }
};

using pixels = std::vector<std::pair<int32_t, int32_t>>;

TEST(LineWalk, VisitsTheBresenhamPixelsBothWays) {
  EXPECT_EQ(walkFixture(cidc_pixel32{0, 0}, cidc_pixel32{5, 2}).visit(),
            (pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
  EXPECT_EQ(walkFixture(cidc_pixel32{5, 2}, cidc_pixel32{0, 0}).visit(),
            (pixels{{5, 2}, {4, 2}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}));
  EXPECT_EQ(walkFixture(cidc_pixel32{0, 0}, cidc_pixel32{-2, -5}).visit(),
            (pixels{{0, 0}, {0, -1}, {-1, -2}, {-1, -3}, {-2, -4}, {-2, -5}}));
  EXPECT_EQ(walkFixture(cidc_point64{50, 51}, cidc_point64{58, 60}).visit(), (pixels{{3, 3}}));

  walkFixture outside(cidc_pixel32{0, 0}, cidc_pixel32{5, 2});
  const cidc_point64 far[2] = {{16 * 500, 0}, {16 * 600, 0}};
  cidc_scanLineSeg_initPoints(&outside.seg, far, nullptr);
  ASSERT_EQ(cidc_lineWalk_init(&outside.walk, &outside.roi, &outside.shape, 1000), 0);
  EXPECT_EQ(outside.walk.seg.isDegenerate, 1);
  EXPECT_EQ(outside.visit(), (pixels{{0, 0}}));
}

TEST(LineWalk, RandomWalksEndOnTheirLastPixel) {
  std::mt19937 random(11);
  for (int trial = 0; trial < 300; ++trial) {
    auto coordinate = [&] { return int32_t(random() % 301) - 150; };
    const cidc_pixel32 a{coordinate(), coordinate()}, b{coordinate(), coordinate()};
    walkFixture f(a, b);
    const pixels visited = f.visit();
    ASSERT_EQ(int32_t(visited.size()), std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)) + 1);
    EXPECT_EQ(visited.back(), std::pair(b.x, b.y));
    for (size_t k = 1; k < visited.size(); ++k) {
      EXPECT_LE(std::abs(visited[k].first - visited[k - 1].first), 1);
      EXPECT_LE(std::abs(visited[k].second - visited[k - 1].second), 1);
    }
  }
}

}  // namespace
