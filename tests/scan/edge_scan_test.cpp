// The peak detector on exact sequences; edge scans on synthetic step edges.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "ci_id/priv/ci_idut/scan.h"
#include "scan/edge_scanner.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

constexpr double pi = std::numbers::pi;
constexpr int32_t dark = 40, bright = 210;

// Bright to the right of column x (at 1/16 pixel).
greyScene edgeScene(double edge) {
  greyScene scene(128, 128, dark);
  scene.paint([edge](double x, double) { return x > edge; }, bright, 16);
  return scene;
}

// Runs the detector over samples with levels a = 2k, b = 2k + 1 at sample k.
std::vector<cidc_peakIDFixedX_4> detect(const std::vector<int16_t>& samples, int32_t threshold,
                                        int32_t alongOffset = 0, int32_t shiftLeft = 0,
                                        int32_t shiftRight = 0) {
  peakList peaks;
  cidc_peakDetectState state;
  EXPECT_EQ(cidc_peakDetectState_init(&state, &peaks.v, samples[0], int32_t(samples.size())), 0);
  for (size_t k = 1; k < samples.size(); ++k)
    cidc_peakDetectState_detect(&state, int32_t(2 * k), int32_t(2 * k + 1), samples[k], threshold,
                                alongOffset, shiftLeft, shiftRight);
  EXPECT_EQ(cidc_peakDetectState_finish(&state, &peaks.v), 0);
  return peaks.found();
}

TEST(PeakDetector, ExactPositionsMagnitudesAndLimits) {
  auto pos = [](const std::vector<int16_t>& s) {
    const auto peaks = detect(s, 5);
    EXPECT_EQ(peaks.size(), 1u);
    return peaks.empty() ? -1 : peaks[0].pos;
  };
  EXPECT_EQ(pos({0, 4, 10, 8, 0}), 36);      // offset 16 * -4 / -16
  EXPECT_EQ(pos({0, 9, 10, 0, 0}), 32 - 6);  // 144 / -22 truncates toward zero
  EXPECT_EQ(pos({0, 10, 10, 0}), 24);        // plateau centre 1.5
  EXPECT_EQ(pos({0, 1, 7, 7, 7, 7, 7, 7, 1}), 16 * 9 / 2);  // six samples: the longest plateau
  EXPECT_TRUE(detect({0, 1, 7, 7, 7, 7, 7, 7, 7, 1}, 5).empty());  // seven
  EXPECT_TRUE(detect({0, 5, 0}, 5).empty());   // a maximum must exceed the threshold
  const cidc_peakIDFixedX_4 p = detect({0, 0, -100, 0}, 5, 1000, 2, 3)[0];
  EXPECT_EQ(p.pos, 1000 + 32);
  EXPECT_EQ(p.magnitude, (-100 * 4) >> 3);  // arithmetic shift: -50
  EXPECT_EQ(p.midLevel, (6 + 7) / 2);       // levels of sample 3
}

TEST(PeakDetector, LowBytesOfLevelsAndCapacity) {
  peakList peaks;
  cidc_peakDetectState state;
  ASSERT_EQ(cidc_peakDetectState_init(&state, &peaks.v, 0, 1), 0);
  cidc_peakDetectState_detect(&state, 0, 0, 20, 5, 0, 0, 0);
  cidc_peakDetectState_detect(&state, 0x3FF, 0x101, 0, 5, 0, 0, 0);  // the one peak room holds
  cidc_peakDetectState_detect(&state, 0, 0, 20, 5, 0, 0, 0);
  EXPECT_CHECK_FAILS(cidc_peakDetectState_detect(&state, 0, 0, 0, 5, 0, 0, 0));
  ASSERT_EQ(cidc_peakDetectState_finish(&state, &peaks.v), 0);
  const auto found = peaks.found();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].midLevel, (0xFF + 0x01) / 2);
}

TEST(EdgeScan, MagnitudeScaleMidLevelAndPolarity) {
  const int32_t h = bright - dark;
  greyScene bar(128, 128, dark);
  bar.paint([](double x, double y) { return x >= 60 && x < 63 && y >= 51; }, bright);
  const struct {
    greyScene scene;
    cmath_vect p;
    double angle;
    int16_t dir[2];
    int32_t magnitude, midLevel;
    double at;  // where the peak is, on the scan's axis
  } cases[] = {
      // A pixel-aligned edge: 16 h on 1-D scans, either sign.
      {edgeScene(64), {30.5, 50.5}, 0, {32, 0}, 16 * h, (dark + bright) / 2, 64},
      {edgeScene(64), {90.5, 60}, pi, {0, 0}, -16 * h, (dark + bright) / 2, 64},
      // Projected on 32 across a horizontal scan, a 3-pixel bar below the row gives 16 h.
      {bar, {10, 50.5}, 0, {0, 32}, 16 * h, dark, 61.5},
  };
  for (const auto& c : cases) {
    scanner s(c.scene);
    peakList peaks;
    cidc_scanLineSeg out;
    ASSERT_EQ(s.scan(c.p, c.angle, c.dir, peaks, &out), 0);
    const auto found = peaks.found();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].magnitude, c.magnitude);
    EXPECT_EQ(found[0].midLevel, c.midLevel);
    EXPECT_DOUBLE_EQ(s.toImage(found[0], out).x, c.at);
  }
}

// Off the normal, projected across: two floored 1/16 terms on top of the rendering's grid.
TEST(EdgeScan, AnAngledScanFindsTheEdgeWithinThreeSixteenths) {
  scanner s(edgeScene(60 + 13 / 16.0));
  for (double angle : {0.77, pi - 0.41}) {
    const int16_t dir[2] = {int16_t(std::lround(32 * std::cos(angle) - std::sin(angle))),
                            int16_t(std::lround(32 * std::sin(angle) + std::cos(angle)))};
    peakList peaks;
    cidc_scanLineSeg out;
    ASSERT_EQ(s.scan({60 + 13 / 16.0, 64}, angle, dir, peaks, &out), 0);
    const auto found = peaks.found();
    ASSERT_EQ(found.size(), 1u) << angle;
    EXPECT_EQ(found[0].magnitude > 0, angle < 1);
    EXPECT_NEAR(s.toImage(found[0], out).x, 60 + 13 / 16.0, 3 / 16.0) << angle;
  }
}

TEST(EdgeScan, ShortScansAndChecks) {
  scanner s(edgeScene(64.5));
  const int16_t dir[2] = {32, 8};
  cidc_scanLineSeg out;
  auto count = [&](cmath_vect a, cmath_vect b) {
    peakList peaks;
    EXPECT_EQ(s.scan(a, 0, dir, peaks, &out, &b), 0);
    return peaks.found().size();
  };
  EXPECT_EQ(count({63.5, 40.5}, {65.5, 40.5}), 1u);  // three pixels across the edge
  EXPECT_EQ(count({63.5, 40.5}, {64.5, 40.5}), 0u);  // two
  EXPECT_EQ(count({62.5, 0.5}, {66.9, 1.2}), 0u);    // in the margin: outside the ROI
  EXPECT_EQ(out.isDegenerate, 1);

  peakList peaks;
  s.threshold = nullptr;
  EXPECT_CHECK_FAILS(s.scan({10, 50}, 0, dir, peaks, &out));
}

TEST(ProfilePeaks, CentralDifferencePeaksInDifferenceSamples) {
  const int32_t x[] = {0, 0, 0, 300, 300, 300, 290, 100, 100, 100};
  cimg_windowConst extent{}, samples{};
  extent.width = 10;
  samples.pixels = x;
  const int32_t threshold = 100;
  peakList peaks;
  ASSERT_EQ(cidc_runEdgeScanPeakDetection(&extent, &samples, &threshold, &peaks.v), 0);
  // Differences 0, 300, 300, 0, -10, -200, -190, 0: a rise at 1.5, a fall pulled from 5 to 6.
  const auto found = peaks.found();
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].pos, 24);
  EXPECT_EQ(found[0].magnitude, 300);
  EXPECT_EQ(found[0].midLevel, 150 & 0xFF);
  EXPECT_EQ(found[1].pos, 80 + (16 * (-10 + 190)) / (2 * (-10 + 400 - 190)));
  EXPECT_EQ(found[1].magnitude, -200);
  EXPECT_EQ(found[1].midLevel, (300 + 100) / 2);  // x[5] and x[7]
}

}  // namespace
