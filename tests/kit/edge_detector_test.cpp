// The Sobel edge detector: exact gradients, a reference on a noisy scene, edgelet lists and chains.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "../../kit/src/edge/internal.h"
#include "kit/edge.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

uint8_t referenceAngle(double gx, double gy) {
  return uint8_t(std::lround(std::atan2(gy, gx) * 128 / kPi) & 255);
}
uint8_t referenceMagnitude(double gx, double gy, double scale) {
  return uint8_t(std::min(255.0, std::round(scale * std::sqrt(gx * gx + gy * gy) / 4)));
}
int32_t codeDistance(int32_t a, int32_t b) {
  const int32_t d = (a - b) & 255;
  return std::min(d, 256 - d);
}

// A list and chains released with the test.
struct edgeList {
  csEdgeList* list = nullptr;
  explicit edgeList(int32_t capacity, int32_t frame = 1) {
    EXPECT_EQ(csEdgeListNew(capacity, &list), 0);
    csEdgeListInit(list, frame, 0);
  }
  ~edgeList() { csEdgeListDelete(&list); }
  std::vector<csEdge> edges() const {
    std::vector<csEdge> out;
    for (const csEdge* e = csEdgeListFirst(list); e; e = csEdgeListNext(list, e)) out.push_back(*e);
    return out;
  }
};

struct edgeChains {
  csEdgeChains record;
  edgeChains() { csEdgeChains_construct(&record); }
  ~edgeChains() { csEdgeChains_destruct(&record); }
  std::vector<int32_t> chain(int32_t c) const {
    return {record.members + record.starts[c], record.members + record.starts[c + 1]};
  }
};

// The detector's view of an image's current window.
struct view {
  cxImage95 wrapper;
  explicit view(const cimg_image* image) { EXPECT_EQ(wrapper.init(image), 0); }
  operator csImage95*() { return wrapper; }
};

csEdgeParams params(float scale, float threshold, float thin) {
  csEdgeParams p = csEdgeParamsDefault;
  p.scale = scale;
  p.threshold = threshold;
  p.thin = thin;
  return p;
}

// Plain double Sobel, atan2, sqrt and suppression on the current window of an image.
struct reference {
  int32_t width, height;
  std::vector<uint8_t> magnitude, angle;  // interior, row by row
  std::vector<csEdge> edges;

  reference(cimg_image* image, const csEdgeParams& p) {
    cimg_window w;
    cimg_window_init(&w, image);
    width = w.width - 2;
    height = w.height - 2;
    const auto pixel = [&](int32_t x, int32_t y) {
      return double(cimg_window_row<uint8_t>(&w, y)[x]);
    };
    std::vector<double> gxs, gys;
    for (int32_t y = 1; y <= height; ++y) {
      for (int32_t x = 1; x <= width; ++x) {
        const double gx = pixel(x + 1, y - 1) + 2 * pixel(x + 1, y) + pixel(x + 1, y + 1) -
                          pixel(x - 1, y - 1) - 2 * pixel(x - 1, y) - pixel(x - 1, y + 1);
        const double gy = pixel(x - 1, y + 1) + 2 * pixel(x, y + 1) + pixel(x + 1, y + 1) -
                          pixel(x - 1, y - 1) - 2 * pixel(x, y - 1) - pixel(x + 1, y - 1);
        gxs.push_back(gx);
        gys.push_back(gy);
        magnitude.push_back(referenceMagnitude(gx, gy, p.scale));
        angle.push_back(referenceAngle(gx, gy));
      }
    }
    // Suppression along the axis nearest the angle code; interior neighbours only.
    const int32_t stepX[8] = {1, 1, 0, -1, -1, -1, 0, 1}, stepY[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const int32_t i = y * width + x, m = magnitude[i];
        const int32_t o = ((angle[i] + 16) / 32) % 8;
        const int32_t fx = x + stepX[o], fy = y + stepY[o], bx = x - stepX[o], by = y - stepY[o];
        if (m < p.threshold || m == 0 || std::min({fx, fy, bx, by}) < 0 ||
            std::max(fx, bx) >= width || std::max(fy, by) >= height)
          continue;
        const int32_t front = magnitude[fy * width + fx], behind = magnitude[by * width + bx];
        if (m < behind || m < front || (p.thin != 0 && m == front)) continue;
        const double length = std::hypot(gxs[i], gys[i]);
        edges.push_back(csEdge{x + 1,
                               y + 1,
                               float(gxs[i] / length),
                               float(gys[i] / length),
                               uint8_t(m),
                               angle[i],
                               {0, 0}});
      }
    }
  }
};

void expectSameEdges(const std::vector<csEdge>& got, const std::vector<csEdge>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t k = 0; k < got.size(); ++k) {
    EXPECT_EQ(std::tie(got[k].pi, got[k].pj, got[k].mag, got[k].angle),
              std::tie(want[k].pi, want[k].pj, want[k].mag, want[k].angle))
        << "edgelet " << k;
    EXPECT_NEAR(got[k].dx, want[k].dx, 1e-6);
    EXPECT_NEAR(got[k].dy, want[k].dy, 1e-6);
  }
}

std::vector<uint8_t> pixelsOf(testImage& image) {
  cimg_window w;
  cimg_window_init(&w, image.image());
  std::vector<uint8_t> out;
  for (int32_t y = 0; y < w.height; ++y)
    out.insert(out.end(), cimg_window_row<uint8_t>(&w, y),
               cimg_window_row<uint8_t>(&w, y) + w.width);
  return out;
}

// Detects the image's current window with the default parameters into list (and chains).
int32_t detect(testImage& image, const edgeList& list, csEdgeChains* chains = nullptr) {
  return csEdgeDetect(view(image.image()), nullptr, nullptr, list.list, chains,
                      &csEdgeParamsDefault);
}

greyScene noisyScene(int32_t width, int32_t height, uint32_t seed) {
  greyScene scene(width, height, 70);
  scene.paint(
      [&](double x, double y) {
        return std::hypot(x - width * 0.4, y - height * 0.5) < height * 0.3;
      },
      190);
  scene.paint([&](double x, double y) { return x > width * 0.65 && y + 0.3 * x > height * 0.6; },
              20);
  scene.paint([&](double x, double y) { return std::abs(x - 0.2 * y - width * 0.15) < 1.5; }, 240);
  scene.gaussianBlur(0.9);
  scene.addNoise(4, seed);
  return scene;
}

TEST(KitEdgeGradient, EveryGradientGivesTheExactMagnitudeAndAngle) {
  // Every (gx, gy) in [-1020, 1020]^2 through every kernel this processor runs.
  std::vector<int16_t> gx(2041), gy(2041);
  std::vector<uint8_t> magnitude(2041), angle(2041), wantMagnitude(2041), wantAngle(2041);
  for (int32_t i = 0; i < 2041; ++i) gx[i] = int16_t(i - 1020);
  for (int32_t y = -1020; y <= 1020; ++y) {
    std::fill(gy.begin(), gy.end(), int16_t(y));
    for (int32_t i = 0; i < 2041; ++i) {
      wantMagnitude[i] = referenceMagnitude(gx[i], y, 1);
      wantAngle[i] = referenceAngle(gx[i], y);
    }
    for (cedge::kernel k : {cedge::kernel::portable, cedge::kernel::sse2, cedge::kernel::avx}) {
      if (!cedge::kernelAvailable(k)) continue;
      cedge::evaluateGradientsWith(k, gx.data(), gy.data(), 2041, magnitude.data(), angle.data());
      ASSERT_EQ(magnitude, wantMagnitude) << "gy " << y << " kernel " << int(k);
      ASSERT_EQ(angle, wantAngle) << "gy " << y << " kernel " << int(k);
    }
  }
  // Worked values: a 255 step across an axis, 181 at 45 degrees; ties round up.
  EXPECT_EQ(cedge::unitMagnitude(1020, 0), 255);
  EXPECT_EQ(cedge::unitMagnitude(724, 724), 255);
  EXPECT_EQ(cedge::unitMagnitude(6, 0), 2);
  EXPECT_EQ(cedge::angleCode(0, -5), 192);
  EXPECT_EQ(cedge::angleCode(0, 0), 0);
  EXPECT_EQ(cedge::scaledMagnitude(400, 0, 0.25), 25);
}

TEST(KitEdgeDetect, MatchesAnIndependentReferenceOnANoisyScene) {
  leakGuard guard;
  const csEdgeParams cases[] = {csEdgeParamsDefault, params(1, 0, 0), params(1.7f, 10, 0)};
  {
    const int32_t width = 203, height = 117;
    testImage image(noisyScene(width, height, 2));
    // A window away from the image's edges, with its own stride.
    ASSERT_EQ(cimg_image_window(image.image(), 3, 2, width - 7, height - 5, 0), 0);
    for (const csEdgeParams& p : cases) {
      const reference want(image.image(), p);
      testImage magnitude(want.width, want.height, 0), angle(want.width, want.height, 0);
      view source(image.image()), m(magnitude.image()), a(angle.image());
      edgeList together(want.width * want.height), alone(want.width * want.height);
      ASSERT_EQ(csEdgeDetect(source, m, a, together.list, nullptr, &p), 0);
      expectSameEdges(together.edges(), want.edges);
      EXPECT_EQ(pixelsOf(magnitude), want.magnitude);
      EXPECT_EQ(pixelsOf(angle), want.angle);
      ASSERT_EQ(csEdgeDetect(source, nullptr, nullptr, alone.list, nullptr, &p), 0);  // list only
      expectSameEdges(alone.edges(), want.edges);
    }
  }
}

TEST(KitEdgeDetect, StatusesAndChecks) {
  leakGuard guard;
  testImage image(10, 8, 0), wrong(7, 6, 9);
  image.at(5, 4) = 250;
  view source(image.image());
  edgeList list(100);
  EXPECT_EQ(
      csEdgeDetect(source, view(wrong.image()), nullptr, list.list, nullptr, &csEdgeParamsDefault),
      CIMG_STATUS_BAD_SIZE);
  EXPECT_EQ(wrong.at(0, 0), 9);
  EXPECT_EQ(csEdgeListLen(list.list), 0);

  const csEdgeParams threshold256 = params(1, 256, 1);
  EXPECT_CHECK_FAILS(csEdgeDetect(source, nullptr, nullptr, list.list, nullptr, &threshold256));
}

TEST(KitEdgeList, CapacityFrameRuleAndAssign) {
  leakGuard guard;
  const greyScene scene = noisyScene(90, 64, 5);
  testImage image(scene);
  edgeList all(90 * 64);
  ASSERT_EQ(detect(image, all), 0);
  const std::vector<csEdge> wholeEdges = all.edges();
  const int32_t n = int32_t(wholeEdges.size());

  // A full list fails and keeps what it held, its chains and its frame reference.
  testImage small(12, 10, 30);
  small.at(6, 5) = small.at(6, 4) = 200;
  edgeList one(64);
  ASSERT_EQ(detect(small, one), 0);
  const int32_t m = csEdgeListLen(one.list);
  ASSERT_GT(m, 0);
  {
    edgeList list(n + m - 1);
    edgeChains chains;
    ASSERT_EQ(detect(small, list, &chains.record), 0);
    const std::vector<csEdge> before = list.edges();
    const int32_t* storage = chains.record.starts;
    const int32_t count = chains.record.count;
    EXPECT_EQ(detect(image, list, &chains.record), CSYS_STATUS_NO_MEMORY);
    expectSameEdges(list.edges(), before);
    EXPECT_EQ(chains.record.starts, storage);
    EXPECT_EQ(chains.record.count, count);
  }

  // Frame 1 places a later detection in the frame of the first, frame 0 in its own window.
  for (int32_t frame : {1, 0}) {
    edgeList list(2 * m, frame);
    ASSERT_EQ(cimg_image_setEntire(small.image()), 0);
    ASSERT_EQ(detect(small, list), 0);
    ASSERT_EQ(cimg_image_window(small.image(), 2, 1, 9, 8, 0), 0);
    ASSERT_EQ(detect(small, list), 0);
    ASSERT_EQ(csEdgeListLen(list.list), 2 * m);
    for (int32_t k = 0; k < m; ++k) {
      EXPECT_EQ(csEdgeListAt(list.list, m + k)->pi,
                csEdgeListAt(one.list, k)->pi - 2 * (1 - frame));
      EXPECT_EQ(csEdgeListAt(list.list, m + k)->pj, csEdgeListAt(one.list, k)->pj - (1 - frame));
    }
  }

  // Assign grows the destination to the source's length, or fails leaving it unchanged.
  edgeList copy(2, 0);
  csys_memory_failAllocation(1);
  EXPECT_EQ(csEdgeListAssign(copy.list, all.list), CSYS_STATUS_NO_MEMORY);
  csys_memory_failAllocation(0);
  EXPECT_EQ(csEdgeListCapacity(copy.list), 2);
  ASSERT_EQ(csEdgeListAssign(copy.list, all.list), 0);
  EXPECT_EQ(csEdgeListCapacity(copy.list), n);
  expectSameEdges(copy.edges(), wholeEdges);
}

TEST(KitEdgeChains, ADiscIsOneClosedChainADotHasNoLinks) {
  leakGuard guard;
  greyScene scene(50, 50, 30);
  scene.paint([&](double x, double y) { return std::hypot(x - 24.6, y - 25.2) < 16.7; }, 210);
  scene.gaussianBlur(1.0);
  testImage image(scene);
  edgeList list(2000);
  edgeChains chains;
  ASSERT_EQ(detect(image, list, &chains.record), 0);
  // One chain holding every edgelet once; consecutive members (last and first too) are
  // 8-neighbours with angle codes within 31.
  ASSERT_EQ(chains.record.count, 1);
  const std::vector<int32_t> members = chains.chain(0);
  const std::vector<csEdge> edges = list.edges();
  std::vector<int32_t> sorted = members;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::unique(sorted.begin(), sorted.end()) - sorted.begin(), int64_t(edges.size()));
  ASSERT_GT(members.size(), 2u);
  for (size_t k = 0; k < members.size(); ++k) {
    const csEdge &a = edges[members[k]], &b = edges[members[(k + 1) % members.size()]];
    EXPECT_LE(std::max(std::abs(a.pi - b.pi), std::abs(a.pj - b.pj)), 1) << k;
    EXPECT_LT(codeDistance(a.angle, b.angle), 32) << k;
  }
  // Around a bright dot the angle codes turn by 32 from one edgelet to the next: no links.
  testImage dot(9, 9, 0);
  dot.at(4, 4) = 255;
  edgeList dotList(100);
  ASSERT_EQ(detect(dot, dotList, &chains.record), 0);
  EXPECT_GT(chains.record.count, 0);
  EXPECT_EQ(chains.record.count, csEdgeListLen(dotList.list));
}

}  // namespace
