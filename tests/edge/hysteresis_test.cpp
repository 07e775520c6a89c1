// Hysteresis thresholding: a worked grid, destinations, shared storage and every failure exit.
#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "ci_id/priv/ci_idut/edge.h"
#include "kit/pel.h"
#include "support/held_image.h"
#include "support/hooks.h"

namespace {

constexpr uint8_t background = 0, edge = 255;

struct grid {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> v;
  grid(int32_t w, int32_t h, uint8_t fill = 0) : width(w), height(h), v(size_t(w) * h, fill) {}
  uint8_t& at(int32_t x, int32_t y) { return v[size_t(y) * width + x]; }
};

// Row 2: strong run 5-25, weak 26-35; weak columns below the run's middle (15) and end (5).
grid workedMagnitudes() {
  grid m(40, 12, 10);
  for (int32_t x = 5; x <= 25; ++x) m.at(x, 2) = 180;
  for (int32_t x = 26; x <= 35; ++x) m.at(x, 2) = 70;
  for (int32_t y = 3; y <= 10; ++y) m.at(15, y) = m.at(5, y) = 70;
  m.at(35, 2) = 60;   // exactly low
  m.at(30, 8) = 140;  // exactly high, alone
  return m;
}

// Its edges for thresholds 60 and 140: the run, its extension, the column below its end, (30, 8).
bool workedEdge(int32_t x, int32_t y) {
  return (y == 2 && x >= 5 && x <= 35) || (x == 5 && y >= 3 && y <= 10) || (x == 30 && y == 8);
}

// Every pixel of the image with its bounds.
std::vector<int32_t> snapshot(const heldImage& image) {
  cstd_rect32 e;
  EXPECT_EQ(cimg_image_getEntire(&image.image, &e), 0);
  std::vector<int32_t> s{e.x, e.y, e.width, e.height};
  for (int32_t y = e.y; y < e.y + e.height; ++y)
    for (int32_t x = e.x; x < e.x + e.width; ++x) s.push_back(image.atImage(x, y));
  return s;
}

int32_t threshold60to140(const heldImage& source, heldImage& out, int32_t* count,
                         uint8_t labelBackground = background, int32_t grow = 1,
                         int32_t stackSize = -1) {
  return cip_edge_hysteresisThreshold(source.constImage(), &out.image, 60, 140, count, stackSize,
                                      labelBackground, edge, grow);
}

TEST(Hysteresis, WorkedCases) {
  leakGuard guard;
  const heldImage source({0, 0, 40, 12}, workedMagnitudes().v, 3, 200);
  heldImage result;
  int32_t count = -1;
  ASSERT_EQ(threshold60to140(source, result, &count), 0);
  EXPECT_EQ(count, 21 + 10 + 8 + 1);
  for (int32_t y = 0; y < 12; ++y)
    for (int32_t x = 0; x < 40; ++x)
      EXPECT_EQ(result.atImage(x, y), workedEdge(x, y) ? edge : background) << x << ", " << y;

  // Weak rows across the whole width, seeded at either end: runs reach the image border.
  for (const int32_t seedAt : {0, 11}) {
    grid row(12, 1, 80);
    row.at(seedAt, 0) = 200;
    const heldImage rowSource({0, 0, 12, 1}, row.v);
    heldImage rowResult;
    ASSERT_EQ(threshold60to140(rowSource, rowResult, &count), 0);
    EXPECT_EQ(count, 12);
    for (int32_t x = 0; x < 12; ++x) EXPECT_EQ(rowResult.atImage(x, 0), edge) << x;
  }
}

TEST(Hysteresis, BoundAndUnboundDestinations) {
  leakGuard guard;
  heldImage source({100, -20, 40, 12}, workedMagnitudes().v, 4, 250);
  const cmath_xformLinear shifted{{2, 0, 0, 1}, {7.5, 0}};
  ASSERT_EQ(cimg_image_setLinearImageFromClientXform(&source.image, &shifted), 0);

  // Unbound: the source window grown by a background border, the source's transforms.
  heldImage result;
  ASSERT_EQ(cip_edge_hysteresisThreshold(source.constImage(), &result.image, 60, 140, nullptr, -1,
                                         9, 3, 1),
            0);
  cstd_rect32 window = result.windowRect(), entire;
  ASSERT_EQ(cimg_image_getEntire(&result.image, &entire), 0);
  EXPECT_EQ(std::tie(window.x, window.y, window.width, window.height),
            std::tuple(100, -20, 40, 12));
  EXPECT_EQ(std::tie(entire.x, entire.y, entire.width, entire.height), std::tuple(99, -21, 42, 14));
  cmath_xformLinear got;
  ASSERT_EQ(cimg_image_getLinearImageFromClientXform(&result.image, &got), 0);
  EXPECT_EQ(std::tie(got.matrix.xx, got.translation.x), std::tuple(2, 7.5));
  for (int32_t y = -21; y < -7; ++y)
    for (int32_t x = 99; x < 141; ++x)
      EXPECT_EQ(result.atImage(x, y), workedEdge(x - 100, y + 20) ? 3 : 9) << x << ", " << y;

  // Bound: only R = both windows is written and seen; from column 26 no strong seed.
  for (const int32_t left : {120, 126}) {
    SCOPED_TRACE(left);
    heldImage destination({110, -30, 50, 30}, 77);
    const cstd_rect32 destinationWindow{left, -25, 30, 15};  // R: y -20 .. -11
    ASSERT_EQ(cimg_image_setWindowRect(&destination.image, &destinationWindow, nullptr), 0);
    int32_t count = -1;
    ASSERT_EQ(threshold60to140(source, destination, &count), 0);
    EXPECT_EQ(count, left == 120 ? 17 : 1);
    for (int32_t y = -30; y < 0; ++y)
      for (int32_t x = 110; x < 160; ++x) {
        const bool inR = x >= left && x < 140 && y >= -20 && y < -10;
        const bool isEdge = workedEdge(x - 100, y + 20) && (left == 120 || y != -18);
        ASSERT_EQ(destination.atImage(x, y), inR ? (isEdge ? edge : background) : 77)
            << x << ", " << y;
      }
  }
}

TEST(Hysteresis, SharedStorageAndRefusedCallsLeaveTheDestinationAsItWas) {
  leakGuard guard;
  std::mt19937 random(4);
  std::vector<uint8_t> m(50 * 70);
  for (uint8_t& v : m) {
    const uint32_t r = random() % 100;  // 2 % strong, 55 % weak
    v = uint8_t(r < 2 ? 140 + random() % 116 : r < 57 ? 60 + random() % 80 : random() % 60);
  }
  const heldImage source({3, 5, 50, 70}, m, 2, 0);

  // A second handle on the source's pixels, its window overlapping the source's.
  heldImage alias;
  cimg_image_assign(&alias.image, &source.image);
  const cstd_rect32 overlapping{10, 8, 20, 10};
  ASSERT_EQ(cimg_image_setWindowRect(&alias.image, &overlapping, nullptr), 0);
  const std::vector<int32_t> sourceBefore = snapshot(source);
  int32_t count = -7;
  EXPECT_EQ(threshold60to140(source, alias, &count), CIP_STATUS_MEMORY_OVERLAP);
  EXPECT_EQ(count, -7);
  EXPECT_EQ(snapshot(source), sourceBefore);

  heldImage destination({0, 0, 60, 80}, 44);
  const std::vector<int32_t> before = snapshot(destination);
  const heldImage unbound;
  EXPECT_EQ(threshold60to140(unbound, destination, nullptr), CIDUT_ERR_IMAGE_UNBOUND);
  EXPECT_CHECK_FAILS(threshold60to140(source, destination, nullptr, 60));  // background >= low
  EXPECT_EQ(snapshot(destination), before);
}

}  // namespace
