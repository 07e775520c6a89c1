// Hysteresis thresholding against a reference fill on a plain grid with the same run rule;
// worked cases, destinations, shared storage, stack sizes and every failure exit.
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
  uint8_t at(int32_t x, int32_t y) const { return v[size_t(y) * width + x]; }
  bool inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// The run rule: a pixel >= high seeds a fill (rows top down); each popped pixel extends
// left and right over unvisited pixels >= low, and the run's end pixels push their unvisited
// weak neighbours up-left, up, up-right, down-right, down, down-left. Edge pixels are 1.
grid runRuleReference(const grid& m, int32_t low, int32_t high, int32_t* count) {
  grid edges(m.width, m.height), visited(m.width, m.height);
  *count = 0;
  std::vector<std::pair<int32_t, int32_t>> stack;
  auto label = [&](int32_t x, int32_t y) {
    visited.at(x, y) = 1;
    *count += !edges.at(x, y);
    edges.at(x, y) = 1;
  };
  auto joins = [&](int32_t x, int32_t y) {
    return m.inside(x, y) && !visited.at(x, y) && m.at(x, y) >= low;
  };
  auto pushAround = [&](int32_t x, int32_t y) {
    const int32_t around[6][2] = {{-1, -1}, {0, -1}, {1, -1}, {1, 1}, {0, 1}, {-1, 1}};
    for (const auto& d : around) {
      const int32_t nx = x + d[0], ny = y + d[1];
      if (joins(nx, ny) && m.at(nx, ny) < high) {
        visited.at(nx, ny) = 1;
        stack.push_back({nx, ny});
      }
    }
  };
  for (int32_t y = 0; y < m.height; ++y) {
    for (int32_t x = 0; x < m.width; ++x) {
      if (visited.at(x, y) || m.at(x, y) < high) continue;
      visited.at(x, y) = 1;
      stack.push_back({x, y});
      while (!stack.empty()) {
        const auto [px, py] = stack.back();
        stack.pop_back();
        label(px, py);
        int32_t right = px, left = px;
        while (joins(right + 1, py)) label(++right, py);
        while (joins(left - 1, py)) label(--left, py);
        pushAround(right, py);
        if (left != right) pushAround(left, py);
      }
    }
  }
  return edges;
}

// Magnitudes strong with probability pStrong, weak with pWeak, else below low.
grid randomMagnitudes(int32_t w, int32_t h, int32_t low, int32_t high, double pStrong, double pWeak,
                      std::mt19937& random) {
  grid m(w, h);
  std::uniform_real_distribution<double> u(0, 1);
  for (uint8_t& v : m.v) {
    const double p = u(random);
    const int32_t from = p < pStrong ? high : p < pStrong + pWeak ? low : 0;
    const int32_t to = p < pStrong ? 255 : p < pStrong + pWeak ? high - 1 : low - 1;
    v = uint8_t(from + int32_t(random() % uint32_t(to - from + 1)));
  }
  return m;
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

// The labels over rect (image coordinates): 1 edge, 0 background, 2 anything else.
grid labelsOf(const heldImage& result, const cstd_rect32& rect, uint8_t l1 = background,
              uint8_t l2 = edge) {
  grid labels(rect.width, rect.height);
  for (int32_t i = 0; i < rect.width * rect.height; ++i) {
    const uint8_t v = result.atImage(rect.x + i % rect.width, rect.y + i / rect.width);
    labels.v[i] = v == l2 ? 1 : v == l1 ? 0 : 2;
  }
  return labels;
}

// Thresholds m (placed at (x, y)) into a new image; the edge labels over the source window.
grid threshold(const grid& m, int32_t low, int32_t high, int32_t* count, int32_t stackSize = -1,
               int32_t x = 0, int32_t y = 0) {
  const heldImage source({x, y, m.width, m.height}, m.v, 3, 200);
  heldImage result;
  EXPECT_EQ(cip_edge_hysteresisThreshold(source.constImage(), &result.image, uint8_t(low),
                                         uint8_t(high), count, stackSize, background, edge, 1),
            0);
  return labelsOf(result, {x, y, m.width, m.height});
}

int32_t threshold60to140(const heldImage& source, heldImage& out, int32_t* count,
                         uint8_t labelBackground = background, int32_t grow = 1,
                         int32_t stackSize = -1) {
  return cip_edge_hysteresisThreshold(source.constImage(), &out.image, 60, 140, count, stackSize,
                                      labelBackground, edge, grow);
}

TEST(Hysteresis, FollowsTheRunRuleOnRandomMagnitudesWithAnyStackSize) {
  leakGuard guard;
  std::mt19937 random(2024);
  for (int trial = 0; trial < 80; ++trial) {
    const int32_t w = 1 + int32_t(random() % 90), h = 1 + int32_t(random() % 90);
    const int32_t low = 1 + int32_t(random() % 200);
    const int32_t high = low + int32_t(random() % (256 - low));
    const double pWeak = (random() % 7) / 10.0;
    const grid m = randomMagnitudes(w, h, low, high, 0.03, pWeak, random);
    int32_t count = -1, expectedCount = 0;
    const int32_t stackSize = std::vector<int32_t>{-1, 0, 1, 300}[trial % 4];
    const grid edges = threshold(m, low, high, &count, stackSize, int32_t(random() % 50) - 25,
                                 int32_t(random() % 50) - 25);
    const grid expected = runRuleReference(m, low, high, &expectedCount);
    ASSERT_EQ(edges.v, expected.v) << "trial " << trial;
    ASSERT_EQ(count, expectedCount);
  }
}

TEST(Hysteresis, WorkedCases) {
  leakGuard guard;
  int32_t count = -1;
  // A strong run of 21 pixels on row 2; weak pixels: a run on row 2 touching its right end,
  // a vertical line below its middle, a vertical line below its left end.
  grid m(40, 12, 10);
  for (int32_t x = 5; x <= 25; ++x) m.at(x, 2) = 180;
  for (int32_t x = 26; x <= 35; ++x) m.at(x, 2) = 70;
  for (int32_t y = 3; y <= 10; ++y) m.at(15, y) = m.at(5, y) = 70;
  const grid edges = threshold(m, 50, 100, &count);
  EXPECT_EQ(count, 21 + 10 + 8);
  for (int32_t x = 5; x <= 35; ++x) EXPECT_EQ(edges.at(x, 2), 1) << x;
  for (int32_t y = 3; y <= 10; ++y) {
    EXPECT_EQ(edges.at(15, y), 0) << "below the middle of the run, row " << y;
    EXPECT_EQ(edges.at(5, y), 1) << "below the end of the run, row " << y;
  }

  // Weak rows across the whole width, seeded at either end: runs reach the image border.
  for (const int32_t seedAt : {0, 11}) {
    grid row(12, 1, 80);
    row.at(seedAt, 0) = 200;
    EXPECT_EQ(threshold(row, 50, 100, &count).v, grid(12, 1, 1).v);
    EXPECT_EQ(count, 12);
  }
}

TEST(Hysteresis, BoundAndUnboundDestinations) {
  leakGuard guard;
  std::mt19937 random(77);
  const grid m = randomMagnitudes(60, 50, 60, 140, 0.02, 0.5, random);
  heldImage source({100, -20, m.width, m.height}, m.v, 4, 250);
  const cmath_xformLinear shifted{{2, 0, 0, 1}, {7.5, 0}};
  ASSERT_EQ(cimg_image_setLinearImageFromClientXform(&source.image, &shifted), 0);

  // Unbound: the source window grown by one, windowed to the source window, with the
  // source's transforms; count may be null.
  heldImage result;
  ASSERT_EQ(cip_edge_hysteresisThreshold(source.constImage(), &result.image, 60, 140, nullptr, -1,
                                         9, 3, 1),
            0);
  cstd_rect32 window = result.windowRect(), entire;
  ASSERT_EQ(cimg_image_getEntire(&result.image, &entire), 0);
  EXPECT_EQ(std::tie(window.x, window.y, window.width, window.height),
            std::tuple(100, -20, 60, 50));
  EXPECT_EQ(std::tie(entire.x, entire.y, entire.width, entire.height), std::tuple(99, -21, 62, 52));
  cmath_xformLinear got;
  ASSERT_EQ(cimg_image_getLinearImageFromClientXform(&result.image, &got), 0);
  EXPECT_EQ(std::tie(got.matrix.xx, got.translation.x), std::tuple(2, 7.5));
  const grid frame = labelsOf(result, entire, 9, 3);
  int32_t expectedCount = 0;
  const grid expected = runRuleReference(m, 60, 140, &expectedCount);
  for (int32_t y = 0; y < frame.height; ++y)
    for (int32_t x = 0; x < frame.width; ++x) {
      const bool border = x == 0 || y == 0 || x == frame.width - 1 || y == frame.height - 1;
      EXPECT_EQ(frame.at(x, y), border ? 0 : expected.at(x - 1, y - 1));
    }

  // Bound: only R = source window AND destination window is written; the fill sees only R.
  heldImage destination({120, -40, 70, 40}, 77);
  const cstd_rect32 destinationWindow{130, -35, 50, 30};
  ASSERT_EQ(cimg_image_setWindowRect(&destination.image, &destinationWindow, nullptr), 0);
  int32_t count = -1;
  ASSERT_EQ(threshold60to140(source, destination, &count), 0);
  grid inR(30, 15);  // x 130..159, y -20..-6
  for (int32_t y = 0; y < 15; ++y)
    for (int32_t x = 0; x < 30; ++x) inR.at(x, y) = m.at(x + 30, y);
  const grid expectedInR = runRuleReference(inR, 60, 140, &expectedCount);
  EXPECT_EQ(count, expectedCount);
  for (int32_t y = -40; y < 0; ++y)
    for (int32_t x = 120; x < 190; ++x) {
      const bool inside = x >= 130 && x < 160 && y >= -20 && y < -5;
      const int32_t want = inside ? (expectedInR.at(x - 130, y + 20) ? edge : background) : 77;
      ASSERT_EQ(destination.atImage(x, y), want) << x << ", " << y;
    }

  // An empty source window: count 0, an unbound destination empty at the window's corner.
  const cstd_rect32 none{110, -10, 0, 5};
  ASSERT_EQ(cimg_image_setWindowRect(&source.image, &none, nullptr), 0);
  heldImage empty;
  EXPECT_EQ(threshold60to140(source, empty, &count), 0);
  EXPECT_EQ(count, 0);
  window = empty.windowRect();
  EXPECT_EQ(std::tie(window.x, window.y, window.width, window.height), std::tuple(110, -10, 0, 0));
  const cstd_rect32 sourceWindow{100, -20, 60, 50};
  ASSERT_EQ(cimg_image_setWindowRect(&source.image, &sourceWindow, nullptr), 0);

  // grow = 0: R all background, count 0.
  ASSERT_EQ(cimg_image_setWindowRect(&destination.image, &destinationWindow, nullptr), 0);
  EXPECT_EQ(threshold60to140(source, destination, &count, 5, 0), 0);
  EXPECT_EQ(count, 0);
  for (int32_t y = -20; y < -5; ++y)
    for (int32_t x = 130; x < 160; ++x) ASSERT_EQ(destination.atImage(x, y), 5);
}

TEST(Hysteresis, StorageSharedWithTheSource) {
  leakGuard guard;
  std::mt19937 random(31);
  const grid m = randomMagnitudes(20, 16, 60, 140, 0.05, 0.5, random);
  heldImage source({0, 0, m.width, m.height}, m.v, 25, 1);

  // A second handle on the same pixels, its window overlapping the source's.
  heldImage alias;
  cimg_image_assign(&alias.image, &source.image);
  const cstd_rect32 overlapping{10, 4, 20, 10};
  ASSERT_EQ(cimg_image_setWindowRect(&alias.image, &overlapping, nullptr), 0);
  const std::vector<int32_t> before = snapshot(source);
  int32_t count = -7;
  EXPECT_EQ(threshold60to140(source, alias, &count), CIP_STATUS_MEMORY_OVERLAP);
  EXPECT_EQ(count, -7);
  EXPECT_EQ(snapshot(source), before);
}

TEST(Hysteresis, ArgumentChecksAndEveryFailureExitLeaveTheDestinationAsItWas) {
  leakGuard guard;
  std::mt19937 random(4);
  const grid m = randomMagnitudes(50, 70, 60, 140, 0.02, 0.55, random);
  const heldImage source({3, 5, m.width, m.height}, m.v, 2, 0);
  heldImage destination({0, 0, 60, 80}, 44);
  const std::vector<int32_t> before = snapshot(destination);
  const heldImage unbound;
  EXPECT_EQ(threshold60to140(unbound, destination, nullptr), CIDUT_ERR_IMAGE_UNBOUND);
  EXPECT_CHECK_FAILS(threshold60to140(source, destination, nullptr, 60));  // background >= low
  EXPECT_CHECK_FAILS(cip_edge_hysteresisThreshold(source.constImage(), &destination.image, 141,
                                                  140, nullptr, -1, 0, edge, 1));  // low > high
  EXPECT_EQ(snapshot(destination), before);

  // Two blocks each for T and W, one for the fill's stack; a one-entry stack grows. Polls
  // after T, after W, before rows 0, 32 and 64 of the fill, at the end.
  for (const int32_t stackSize : {-1, 1}) {
    auto intoBound = [&] {
      int32_t count = -3;
      const int32_t status = threshold60to140(source, destination, &count, background, 1, stackSize);
      if (status < 0) {
        EXPECT_EQ(count, -3);
        EXPECT_EQ(snapshot(destination), before);
      }
      const cimg_window all = destination.window();
      EXPECT_EQ(cip_pelSet8(&all, 44), 0);
      return status;
    };
    const int allocations = driveAllocationFailures(intoBound);
    if (stackSize < 0) {
      EXPECT_EQ(allocations, 5);
      EXPECT_EQ(driveAttentionFailures(intoBound), 6);
    } else {
      EXPECT_GT(allocations, 5);
    }
  }
  auto intoUnbound = [&] {
    heldImage result;
    const int32_t status = threshold60to140(source, result, nullptr, background, 0);
    EXPECT_EQ(result.bound(), status >= 0);
    return status;
  };
  EXPECT_EQ(driveAllocationFailures(intoUnbound), 4);
  EXPECT_EQ(driveAttentionFailures(intoUnbound), 3);
}

}  // namespace
