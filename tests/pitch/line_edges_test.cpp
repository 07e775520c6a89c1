// Edges on profiles and the caliper: worked steps, adaptive merging, the edge limit,
// sub-pixel positions of painted steps, failures.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ci_id/priv/ci_idut/pitch.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

using locator = int32_t (*)(const uint8_t*, int32_t, int32_t, int32_t, int32_t, double, int32_t*,
                            int32_t*, int32_t*);

struct edges {
  int32_t status = 0;
  std::vector<int32_t> magnitudes, positions;
};

edges locate(locator f, const std::vector<uint8_t>& profile, int32_t threshold, bool adaptive,
             double scale = 1.0) {
  int32_t magnitudes[16] = {-7}, positions[16], count = -1;
  edges found;
  found.status = f(profile.data(), int32_t(profile.size()), 16, threshold, adaptive, scale,
                   magnitudes, positions, &count);
  found.magnitudes.assign(magnitudes, magnitudes + count);
  found.positions.assign(positions, positions + count);
  return found;
}

using ints = std::vector<int32_t>;

TEST(LineEdges, StepRampSubSampleAndAdaptiveMerge) {
  const std::vector<uint8_t> step{0, 0, 0, 200, 200, 200, 200};
  edges e = locate(cidut_lineEdgeLoc, step, 50, false);
  EXPECT_EQ(e.magnitudes, ints{200});
  EXPECT_EQ(e.positions, ints{768});  // 3.0: between samples 2 and 3
  e = locate(cidut_lineEdgeLoc2D, step, 50, false);
  EXPECT_EQ(e.positions, ints{640});  // 2.5 in sample-index units
  EXPECT_TRUE(locate(cidut_lineEdgeLoc2D, step, 201, false).positions.empty());

  // Differences 40, 80, 80, 40: the later maximum, moved (40 x 256) / (240 - 320) = -128.
  const std::vector<uint8_t> ramp{0, 0, 0, 40, 80, 120, 120, 120, 120};
  e = locate(cidut_lineEdgeLoc, ramp, 30, false);
  EXPECT_EQ(e.magnitudes, ints{80});
  EXPECT_EQ(e.positions, ints{4 * 256});

  // Central differences 110, 120, 20: (90 x 256) / (260 - 480) = -104, truncated.
  const std::vector<uint8_t> skew{0, 0, 10, 110, 130, 130, 130, 130};
  e = locate(cidut_lineEdgeLoc2D, skew, 50, false);
  EXPECT_EQ(e.magnitudes, ints{120});
  EXPECT_EQ(e.positions, ints{256 * 3 - 104});

  // A rise and a fall closer than 2.0 scaled units: adaptive keeps the stronger.
  const std::vector<uint8_t> spike{0, 0, 0, 100, 0, 0, 0};
  EXPECT_EQ(locate(cidut_lineEdgeLoc, spike, 50, false, 0.5).magnitudes, (ints{100, -100}));
  e = locate(cidut_lineEdgeLoc, spike, 50, true, 0.5);
  EXPECT_EQ(e.magnitudes, ints{100});
  EXPECT_EQ(e.positions, ints{320});
  // Backward scan: the fall is found first; the stronger rise replaces it.
  const std::vector<uint8_t> uneven{0, 0, 0, 100, 30, 30, 30};
  EXPECT_EQ(locate(cidut_lineEdgeLoc2D, uneven, 20, false, 0.5).magnitudes, (ints{-70, 100}));
  EXPECT_EQ(locate(cidut_lineEdgeLoc2D, uneven, 20, true, 0.5).magnitudes, ints{100});
}

greyScene stepScene(double edge, double blur, bool rising) {
  greyScene scene(48, 16, rising ? 30 : 220);
  scene.paint([edge](double x, double) { return x >= edge; }, rising ? 220 : 30, 32);
  if (blur > 0) scene.gaussianBlur(blur);
  return scene;
}

// Within 1/16 pixel along a row; along a slanted line the 1/256 scale costs up to 0.1.
TEST(Caliper, SubPixelStepsAlongARowAndASlantedLine) {
  const struct { cmath_vect first, second; double tolerance; } lines[] = {
      {{4.0, 8.0}, {40.0, 8.0}, 1.0 / 16}, {{42.0, 2.7}, {3.0, 13.1}, 1.0 / 8}};
  for (double blur : {0.0, 1.5}) {
    for (double edge : {17.0, 18.625}) {
      for (bool rising : {true, false}) {
        testImage image(stepScene(edge, blur, rising));
        cimg_windowConst window;
        ASSERT_EQ(cimg_windowConst_init(&window, image.constImage()), 0);
        for (bool adaptive : {false, true}) {
          for (const auto& line : lines) {
            const cmath_vect &a = line.first, &b = line.second;
            int32_t magnitudes[4], positions[4], count = -1;
            ASSERT_EQ(
                cidut_caliperLite(&window, &a, &b, 4, 40, adaptive, magnitudes, positions, &count),
                0);
            ASSERT_EQ(count, 1) << edge << " " << blur;
            const double truth = (edge - a.x) / (b.x - a.x) * std::hypot(b.x - a.x, b.y - a.y);
            EXPECT_NEAR(positions[0] / 256.0, truth, line.tolerance) << edge << " " << blur;
            EXPECT_EQ(magnitudes[0] > 0, rising == (b.x > a.x));
          }
        }
      }
    }
  }
}

TEST(Caliper, ScansOffTheImageAndChecks) {
  testImage image(stepScene(20.3, 0.0, true));
  cimg_windowConst window;
  ASSERT_EQ(cimg_windowConst_init(&window, image.constImage()), 0);
  const cmath_vect a{4.0, 8.0};
  int32_t magnitudes[4], positions[4], count = 3;
  const cmath_vect left{-30.0, 8.0}, alsoLeft{-2.0, 9.0};
  EXPECT_EQ(cidut_caliperLite(&window, &left, &alsoLeft, 4, 40, 0, magnitudes, positions, &count),
            static_cast<int32_t>(0x8000084bu));
  EXPECT_EQ(count, 0);
  const cmath_vect near{4.2, 8.1};
  EXPECT_CHECK_FAILS(
      cidut_caliperLite(&window, &a, &near, 4, 40, 0, magnitudes, positions, &count));
  EXPECT_CHECK_FAILS(cidut_lineEdgeLoc(nullptr, 7, 4, 50, 0, 1.0, magnitudes, positions, &count));
}

}  // namespace
