// The true-peak image: worked cases on both paths, placement, failure exits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <tuple>

#include "ci_id/priv/ci_idut/edge.h"
#include "id/idut/edge/true_peak_portable.h"
#include "kit/pel.h"
#include "support/held_image.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

// A noisy, blurred disc: edges in every direction.
greyScene shapesScene(int32_t width, int32_t height, uint32_t seed) {
  greyScene scene(width, height, 40);
  scene.paint([&](double x, double y) { return std::hypot(x - width / 2, y - height / 2) < 12; },
              210);
  scene.gaussianBlur(0.8);
  scene.addNoise(6, seed);
  return scene;
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

// A step into a bound destination over R = (1, 0, 8, 7); a one-pixel line on the portable path.
TEST(TruePeakImage, WorkedCases) {
  leakGuard guard;
  EXPECT_EQ(cidut_truePeakMagnitudeScale(1.0), 440);
  testImage step(10, 7, 20);
  for (int32_t y = 0; y < 7; ++y)
    for (int32_t x = 4; x < 10; ++x) step.at(x, y) = 220;
  for (const bool portable : {true, false}) {
    heldImage out(8, 7, 77);
    ASSERT_EQ(cimg_image_setOrigin(&out.image, 1, 0), 0);
    int32_t count = 100;
    withPortablePath(
        portable, [&] { ASSERT_EQ(cip_truepeak8(step.constImage(), &out.image, 1, &count), 0); });
    EXPECT_EQ(count, portable ? 103 : 5);
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

  // Both flanks of the line peak (198), rows 2 .. H - 3.
  testImage line(9, 9, 0);
  for (int32_t y = 0; y < 9; ++y) line.at(4, y) = 200;
  heldImage lineOut;
  int32_t count = 0;
  withPortablePath(
      true, [&] { ASSERT_EQ(cip_truepeak8(line.constImage(), &lineOut.image, 100, &count), 0); });
  EXPECT_EQ(count, 2 * 5);
  for (int32_t y = 0; y < 9; ++y)
    for (int32_t x = 0; x < 7; ++x)
      EXPECT_EQ(lineOut.at(x, y), (x == 2 || x == 4) && y >= 2 && y <= 6 ? 198 : 0)
          << x << ", " << y;
}

TEST(TruePeakImage, PlacementAndNothingToDo) {
  leakGuard guard;
  testImage big(shapesScene(50, 40, 8));
  heldImage source;
  cimg_image_assign(&source.image, big.image());
  ASSERT_EQ(cimg_image_setOrigin(&source.image, 100, 200), 0);
  ASSERT_EQ(cimg_image_window(&source.image, 5, 4, 30, 25, 0), 0);
  testImage narrow(2, 8, 0);
  withPortablePath(true, [&] {
    // New destination: R = (106, 204, 28, 25).
    heldImage fresh, apart(5, 5, 77), none;
    int32_t count = 0;
    ASSERT_EQ(cip_truepeak8(source.constImage(), &fresh.image, 0, &count), 0);
    const cstd_rect32 placed = fresh.windowRect();
    EXPECT_EQ(std::tie(placed.x, placed.y, placed.width, placed.height),
              std::tuple(106, 204, 28, 25));
    // A destination that misses R, or a source narrower than 3: nothing written or counted.
    count = 3;
    EXPECT_EQ(cip_truepeak8(source.constImage(), &apart.image, 0, &count), 0);
    EXPECT_EQ(cip_truepeak8(narrow.constImage(), &apart.image, 0, &count), 0);
    EXPECT_EQ(cip_truepeak8(narrow.constImage(), &none.image, 0, &count), 0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(apart.at(2, 2), 77);
    EXPECT_FALSE(none.bound());
  });
}

TEST(TruePeakImage, ArgumentChecksAndUnboundSource) {
  testImage image(shapesScene(40, 30, 21));
  int32_t count = 0;
  heldImage unbound, out;
  EXPECT_CHECK_FAILS(cip_truepeak8(image.constImage(), &out.image, 0, nullptr));
  EXPECT_EQ(cip_truepeak8(unbound.constImage(), &out.image, 0, &count), CIDUT_ERR_IMAGE_UNBOUND);
  EXPECT_FALSE(out.bound());
}

}  // namespace
