// The true-peak image: the portable operator against a per-pixel reference and the exact
// Sobel gradient, worked cases, placement, the edgelet path's agreement, failure exits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <tuple>
#include <vector>

#include "ci_id/priv/ci_idut/edge.h"
#include "id/idut/edge/true_peak_portable.h"
#include "kit/pel.h"
#include "support/held_image.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

struct pixels {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> p;
  int32_t at(int32_t x, int32_t y) const { return p[size_t(y) * width + x]; }
};

pixels windowPixels(const cimg_imageConst* image) {
  cimg_windowConst w{};
  EXPECT_EQ(cimg_windowConst_init(&w, image), 0);
  pixels out{w.width, w.height, {}};
  for (int32_t y = 0; y < w.height; ++y) {
    const uint8_t* row = cimg_windowConst_row<uint8_t>(&w, y);
    out.p.insert(out.p.end(), row, row + w.width);
  }
  return out;
}

// Noisy, blurred scenes with edges in every direction and of every strength.
greyScene shapesScene(int32_t width, int32_t height, uint32_t seed) {
  greyScene scene(width, height, 40);
  const double cx = width * 0.35, cy = height * 0.45, r = height * 0.3;
  scene.paint([&](double x, double y) { return std::hypot(x - cx, y - cy) < r; }, 210);
  const double a = 0.4, sx = width * 0.75, sy = height * 0.5;
  scene.paint(
      [&](double x, double y) {
        const double u = (x - sx) * std::cos(a) + (y - sy) * std::sin(a);
        const double v = -(x - sx) * std::sin(a) + (y - sy) * std::cos(a);
        return std::fabs(u) < height * 0.2 && std::fabs(v) < height * 0.15;
      },
      120);
  scene.gaussianBlur(0.8);
  scene.addNoise(6, seed);
  return scene;
}

constexpr uint8_t referenceCodes[128] = {
    32,  32,  34,  32,  44,  41,  36,  39,  63,  61,  56,  59,  46,  49,  54,  51,  32,  32,  30,
    32,  20,  23,  28,  25,  1,   3,   8,   5,   18,  15,  10,  13,  96,  96,  94,  96,  84,  87,
    92,  89,  65,  67,  72,  69,  82,  79,  74,  77,  96,  96,  98,  96,  108, 105, 100, 103, 127,
    125, 120, 123, 110, 113, 118, 115, 224, 224, 222, 224, 212, 215, 220, 217, 193, 195, 200, 197,
    210, 207, 202, 205, 224, 224, 226, 224, 236, 233, 228, 231, 255, 253, 248, 251, 238, 241, 246,
    243, 160, 160, 162, 160, 172, 169, 164, 167, 191, 189, 184, 187, 174, 177, 182, 179, 160, 160,
    158, 160, 148, 151, 156, 153, 129, 131, 136, 133, 146, 143, 138, 141};

// Each pixel computed on its own from its 3 x 3 neighbourhood.
struct sobel {
  int32_t gx, gy;
};

sobel sobelAt(const pixels& in, int32_t x, int32_t y) {
  auto p = [&](int32_t dx, int32_t dy) { return in.at(x + dx, y + dy); };
  return {p(1, -1) + 2 * p(1, 0) + p(1, 1) - p(-1, -1) - 2 * p(-1, 0) - p(-1, 1),
          p(-1, 1) + 2 * p(0, 1) + p(1, 1) - p(-1, -1) - 2 * p(0, -1) - p(1, -1)};
}

struct referencePixel {
  int32_t magnitude, code;
};

referencePixel referenceAt(const pixels& in, int32_t x, int32_t y) {
  const sobel g = sobelAt(in, x, y);
  const int32_t ax = 32 * std::abs(g.gx), ay = 32 * std::abs(g.gy);
  int32_t a = std::max(ax, ay), b = std::min(ax, ay);
  int32_t index = (g.gy < 0 ? 4 : 0) | (g.gx < 0 ? 2 : 0) | (ax < ay ? 0 : 1);
  for (int32_t n = 1; n <= 4; ++n) {
    const int32_t rotatedA = n == 4 ? a : a + (b >> n);
    const int32_t rotatedB = b - (a >> n);
    index = (index << 1) | (rotatedB < 0);
    a = rotatedA;
    b = std::abs(rotatedB);
  }
  const int64_t p = int64_t{a} * 440;
  const int32_t magnitude = p >= (int64_t{1} << 24) ? 255 : int32_t(p >> 16);
  return {magnitude, referenceCodes[index]};
}

// The true-peak image of in (output W - 2 by H, last two rows 0) and its peak count.
pixels referencePeaks(const pixels& in, int32_t threshold, int32_t* count) {
  const int32_t w = in.width, h = in.height;
  std::vector<referencePixel> g(size_t(w) * h, referencePixel{0, 0});
  for (int32_t y = 1; y + 1 < h; ++y)
    for (int32_t x = 1; x + 1 < w; ++x) g[size_t(y) * w + x] = referenceAt(in, x, y);
  // Flat pixels can neither be peaks nor suppress one: their direction does not matter.
  static constexpr int32_t stepX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
  static constexpr int32_t stepY[8] = {0, 1, 1, 1, 0, -1, -1, -1};
  auto octant = [](int32_t code) { return ((code + 16) / 32) % 8; };
  pixels out{w - 2, h, std::vector<uint8_t>(size_t(w - 2) * h, 0)};
  *count = 0;
  for (int32_t y = 2; y + 3 <= h; ++y) {
    for (int32_t x = 2; x + 3 <= w; ++x) {
      const referencePixel c = g[size_t(y) * w + x];
      const int32_t o = octant(c.code);
      const referencePixel front = g[size_t(y + stepY[o]) * w + x + stepX[o]];
      const referencePixel back = g[size_t(y - stepY[o]) * w + x - stepX[o]];
      if (c.magnitude < threshold) continue;
      if (c.magnitude <= front.magnitude && c.magnitude < back.magnitude) continue;
      auto effective = [&](referencePixel n) {
        const int32_t turn = (octant(n.code) - o + 8) % 8;
        return turn >= 3 && turn <= 5 ? 0 : n.magnitude;
      };
      if (c.magnitude > effective(front) && c.magnitude >= effective(back)) {
        out.p[size_t(y) * out.width + x - 1] = uint8_t(c.magnitude);
        ++*count;
      }
    }
  }
  return out;
}

int32_t inhibitTruePeak(const char* name) {
  return std::strcmp(name, "cip_truepeak8") == 0;
}

void withPortablePath(bool portable, const std::function<void()>& body) {
  const cprt_inhibitionHook before = cprt_isOptimizationInhibitedFP;
  cprt_isOptimizationInhibitedFP = portable ? inhibitTruePeak : nullptr;
  body();
  cprt_isOptimizationInhibitedFP = before;
}

// The portable result for a fresh destination equals the reference.
void expectPortableMatchesReference(const cimg_imageConst* source, int32_t threshold) {
  const pixels in = windowPixels(source);
  int32_t expectedCount = 0;
  const pixels expected = referencePeaks(in, threshold, &expectedCount);
  heldImage out;
  int32_t count = 17;
  withPortablePath(
      true, [&] { EXPECT_EQ(cip_truepeak8(source, &out.image, uint8_t(threshold), &count), 0); });
  EXPECT_EQ(count, 17 + expectedCount);
  const pixels got = windowPixels(out.constImage());
  ASSERT_EQ(got.width, expected.width);
  ASSERT_EQ(got.height, expected.height);
  EXPECT_EQ(got.p, expected.p);
}

TEST(TruePeakPortable, MatchesThePerPixelReference) {
  EXPECT_EQ(cidut_truePeakMagnitudeScale(1.0), 440);
  std::mt19937 random(5);
  const testImage scene(shapesScene(57, 41, 3));
  const heldImage noise({0, 0, 57, 41}, random);
  for (const cimg_imageConst* image : {scene.constImage(), noise.constImage()}) {
    for (int32_t threshold : {0, 12, 60, 255}) {
      SCOPED_TRACE(testing::Message() << "threshold " << threshold);
      expectPortableMatchesReference(image, threshold);
    }
  }
  // Small sources: 3 columns give one output column, 3 to 5 rows no suppressed row.
  for (int32_t w : {3, 5}) {
    for (int32_t h : {1, 3, 5, 6}) {
      SCOPED_TRACE(testing::Message() << w << " x " << h);
      const heldImage image({0, 0, w, h}, random);
      expectPortableMatchesReference(image.constImage(), 0);
    }
  }
}

// A step between source columns 3 and 4, bound destination over R = (1, 0, 8, 7): both
// paths keep column 4 of the two equal maxima; the edgelet path gives 200 in rows 1 .. 5 and
// clears the rest, the portable one 198 in rows 2 .. 4 and leaves the last two rows alone.
TEST(TruePeakImage, WorkedCases) {
  leakGuard guard;
  testImage step(10, 7, 20);
  for (int32_t y = 0; y < 7; ++y)
    for (int32_t x = 4; x < 10; ++x) step.at(x, y) = 220;
  for (const bool portable : {true, false}) {
    heldImage out(8, 7, 77);
    ASSERT_EQ(cimg_image_setOrigin(&out.image, 1, 0), 0);
    int32_t count = 0;
    withPortablePath(
        portable, [&] { ASSERT_EQ(cip_truepeak8(step.constImage(), &out.image, 1, &count), 0); });
    EXPECT_EQ(count, portable ? 3 : 5);
    for (int32_t y = 0; y < 7; ++y) {
      for (int32_t x = 0; x < 8; ++x) {
        const int32_t expected = portable ? (y >= 5             ? 77
                                             : x == 3 && y >= 2 ? 198
                                                                : 0)
                                          : (x == 3 && y >= 1 && y <= 5 ? 200 : 0);
        EXPECT_EQ(out.at(x, y), expected) << portable << ": " << x << ", " << y;
      }
    }
  }

  withPortablePath(true, [] {
    // A one-pixel bright line (column 4): the Sobel x response is 0 on the line and 4 * 200
    // beside it, giving 198 on both flanks (source columns 3 and 5) in rows 2 .. H - 3.
    testImage line(9, 9, 0);
    for (int32_t y = 0; y < 9; ++y) line.at(4, y) = 200;
    heldImage lineOut, none;
    int32_t count = 0;
    ASSERT_EQ(cip_truepeak8(line.constImage(), &lineOut.image, 100, &count), 0);
    EXPECT_EQ(count, 2 * 5);
    for (int32_t y = 0; y < 9; ++y) {
      for (int32_t x = 0; x < 7; ++x) {
        const bool flank = (x == 2 || x == 4) && y >= 2 && y <= 6;
        EXPECT_EQ(lineOut.at(x, y), flank ? 198 : 0) << x << ", " << y;
      }
    }

    // Narrower than 3: status 0, nothing created, written or counted.
    testImage narrow(2, 8, 0);
    EXPECT_EQ(cip_truepeak8(narrow.constImage(), &lineOut.image, 0, &count), 0);
    EXPECT_EQ(cip_truepeak8(narrow.constImage(), &none.image, 0, &count), 0);
    EXPECT_EQ(count, 10);
    EXPECT_EQ(lineOut.at(2, 2), 198);
    EXPECT_FALSE(none.bound());
  });
}

TEST(TruePeakImage, OutputPlacementAndLayout) {
  leakGuard guard;
  testImage big(shapesScene(50, 40, 8));
  heldImage source;
  cimg_image_assign(&source.image, big.image());
  ASSERT_EQ(cimg_image_setOrigin(&source.image, 100, 200), 0);
  ASSERT_EQ(cimg_image_window(&source.image, 5, 4, 30, 25, 0), 0);
  const cimg_imageConst* src = source.constImage();

  withPortablePath(true, [&] {
    // New destination: R = (106, 204, 28, 25), the whole of it defined.
    heldImage fresh;
    int32_t count = 0;
    ASSERT_EQ(cip_truepeak8(src, &fresh.image, 0, &count), 0);
    const cstd_rect32 placed = fresh.windowRect();
    EXPECT_EQ(std::tie(placed.x, placed.y, placed.width, placed.height),
              std::tuple(106, 204, 28, 25));

    // Bound destination window image (100 .. 119, 210 .. 249): R = (106, 210, 14, 19).
    // Outside R and in its last two rows the pixels keep their 77.
    heldImage bound(50, 60, 77);
    ASSERT_EQ(cimg_image_setOrigin(&bound.image, 90, 210), 0);
    ASSERT_EQ(cimg_image_window(&bound.image, 10, 0, 20, 40, 0), 0);
    count = 0;
    ASSERT_EQ(cip_truepeak8(src, &bound.image, 0, &count), 0);
    heldImage input;
    cimg_image_assign(&input.image, &source.image);
    const cstd_rect32 inputArea{105, 210, 16, 19};
    ASSERT_EQ(cimg_image_setWindowRect(&input.image, &inputArea, nullptr), 0);
    int32_t expectedCount = 0;
    const pixels expected = referencePeaks(windowPixels(input.constImage()), 0, &expectedCount);
    EXPECT_EQ(count, expectedCount);
    ASSERT_EQ(cimg_image_setEntire(&bound.image), 0);
    for (int32_t y = 0; y < 60; ++y) {
      for (int32_t x = 0; x < 50; ++x) {
        const int32_t c = x + 90 - 106, r = y + 210 - 210;
        const bool inR = c >= 0 && c < 14 && r >= 0 && r < 17;
        EXPECT_EQ(bound.at(x, y), inR ? expected.at(c, r) : 77) << x << ", " << y;
      }
    }

    // A bound destination that misses R is left alone.
    heldImage apart(5, 5, 77);
    count = 3;
    EXPECT_EQ(cip_truepeak8(src, &apart.image, 0, &count), 0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(apart.at(2, 2), 77);
  });
}

TEST(TruePeakImage, EdgeletPathOverwritesCountAndAgreesWithPortable) {
  leakGuard guard;
  testImage image(shapesScene(60, 45, 11));
  const cmath_xformLinear fromClient{{2, 0.5, -0.25, 3}, {7, -11}};
  ASSERT_EQ(cimg_image_setLinearImageFromClientXform(image.image(), &fromClient), 0);

  heldImage edgelet, portable;
  int32_t edgeletCount = 1000, portableCount = 1000;
  withPortablePath(false, [&] {
    ASSERT_EQ(cip_truepeak8(image.constImage(), &edgelet.image, 30, &edgeletCount), 0);
  });
  withPortablePath(true, [&] {
    ASSERT_EQ(cip_truepeak8(image.constImage(), &portable.image, 30, &portableCount), 0);
  });
  const pixels e = windowPixels(edgelet.constImage());
  const pixels p = windowPixels(portable.constImage());
  ASSERT_EQ(e.width, 58);
  ASSERT_EQ(e.height, 45);
  int32_t edgeletPeaks = 0;
  for (uint8_t v : e.p) edgeletPeaks += v != 0;
  EXPECT_EQ(edgeletCount, edgeletPeaks);  // overwritten
  EXPECT_GT(portableCount, 1000 + 40);    // added to
  cmath_xformLinear placed{};  // a new destination takes the source's transform
  ASSERT_EQ(cimg_image_getLinearImageFromClientXform(&edgelet.image, &placed), 0);
  EXPECT_EQ(std::memcmp(&placed, &fromClient, sizeof placed), 0);
}

TEST(TruePeakImage, FailureExitsReleaseEverything) {
  testImage image(shapesScene(40, 30, 21));
  int32_t count = 0;
  heldImage unbound, out;
  EXPECT_CHECK_FAILS(cip_truepeak8(image.constImage(), &out.image, 0, nullptr));
  EXPECT_EQ(cip_truepeak8(unbound.constImage(), &out.image, 0, &count), CIDUT_ERR_IMAGE_UNBOUND);
  EXPECT_FALSE(out.bound());

  auto intoNew = [&] {
    heldImage fresh;
    int32_t n = 0;
    const int32_t status = cip_truepeak8(image.constImage(), &fresh.image, 10, &n);
    EXPECT_EQ(fresh.bound(), status >= 0);
    return status;
  };
  heldImage bound(38, 30, 0);
  auto intoBound = [&] {
    const cimg_window all = bound.window();
    cip_pelSet8(&all, 77);
    int32_t n = 4;
    const int32_t status = cip_truepeak8(image.constImage(), &bound.image, 10, &n);
    if (status < 0) {
      EXPECT_EQ(n, 4);
      EXPECT_EQ(bound.at(20, 15), 77);
    }
    return status;
  };
  // Portable: one block for the rolling rows. The edgelet path retries in bands, so some
  // failures are recovered from.
  withPortablePath(true, [&] { EXPECT_EQ(driveAllocationFailures(intoBound), 1); });
  withPortablePath(false, [&] {
    EXPECT_GE(driveAllocationFailures(intoNew, CSYS_STATUS_NO_MEMORY, true), 3);
    driveAttentionFailures(intoNew);
  });
}

}  // namespace
