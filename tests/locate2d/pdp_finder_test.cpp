// The ring (PDP) finder on rendered ring finders, DataMatrix symbols and clutter.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/locate2d/pdp_band_pattern.h"
#include "id/idut/locate2d/pdp_three_sides.h"
#include "kit/xform.h"
#include "locate2d/ring_setup.h"
#include "support/datamatrix.h"
#include "support/hooks.h"
#include "support/symbols.h"

namespace {

// Whether each found corner lies within `tolerance` of a different expected one.
bool cornersMatch(const cmath_vect found[4], const cmath_vect expected[4], double tolerance) {
  bool used[4] = {};
  for (int32_t f = 0; f < 4; ++f) {
    int32_t k = 0;
    while (k < 4 && (used[k] || !isNear(found[f], expected[k], tolerance))) ++k;
    if (k == 4) return false;
    used[k] = true;
  }
  return true;
}
bool foundAt(const cid2d_trackingResult& r, const cmath_vect expected[4], double tolerance) {
  const cmath_vect found[4] = {r.rect.po, r.rect.px, r.rect.py, r.fourthCorner};
  return r.found && cornersMatch(found, expected, tolerance);
}

// Point `at` of an n x n module grid drawn with its outline at `outline`.
cmath_vect gridPoint(const cmath_vect outline[4], double n, cmath_vect at) {
  const cmath_vect unit[4] = {{0, 0}, {n, 0}, {n, n}, {0, n}};
  cmath_xformPerspective toImage;
  cmath_vect p{};
  cmath_xformPerspective_constructPointsAllowNonUnique(&toImage, unit, outline, 4);
  cmath_xformPerspective_mapPoint(&toImage, &at, &p);
  cmath_xformPerspective_destruct(&toImage);
  return p;
}

bool foundOnARing(const cid2d_trackingResult& r, int32_t n, const cmath_vect outline[4],
                  double tolerance) {
  for (double lo = 0, hi = n; lo < hi; ++lo, --hi) {
    const cmath_vect ring[4] = {gridPoint(outline, n, {lo, lo}), gridPoint(outline, n, {hi, lo}),
                                gridPoint(outline, n, {hi, hi}), gridPoint(outline, n, {lo, hi})};
    if (foundAt(r, ring, tolerance)) return true;
  }
  return false;
}

// Both polarities and both ring kinds, turned, are left to the reader's tests.
TEST(RingFinder, FindsARingInPerspectiveOnARowAndAlongALine) {
  const cmath_vect corners[4] = {{50, 30}, {104, 52}, {92, 108}, {34, 90}};
  const auto image = ringImage(ringFinderModules(1, 3), 140, corners, 1);
  ringSetup setup(*image, 140);
  ASSERT_EQ(setup.onRow(70), 0);
  EXPECT_TRUE(foundOnARing(setup.result.tracking, 7, corners, 1.0));
  EXPECT_EQ(setup.result.tracking.score, 700);
  EXPECT_EQ(setup.result.tracking.fourthCornerInferred, 0);
  EXPECT_EQ(setup.result.trackCount, 1);
  // Along a line through the centre at 20 degrees.
  std::vector<double> line;
  std::vector<uint8_t> profile;
  for (int32_t s = -55; s < 55; ++s) {
    const double x = 70 + s * std::cos(0.35), y = 69.2 + s * std::sin(0.35);
    line.insert(line.end(), {x, y});
    profile.push_back(image->at(int32_t(x + 0.5), int32_t(y + 0.5)));
  }
  const std::vector<int16_t> edges = crossings(profile);
  for (int32_t shortPattern : {0, 1}) {
    setup.clearVisits();
    ASSERT_EQ(cf_BndFindMatchingPDP(image->constImage(), &setup.params, &setup.mask, 0,
                                    &setup.maskXform, setup.visits.image(), 0, edges.data(),
                                    int32_t(edges.size()), 110, shortPattern, line.data(),
                                    profile.data(), &setup.result),
              0);
    EXPECT_TRUE(foundOnARing(setup.result.tracking, 7, corners, 1.0)) << shortPattern;
  }
}

TEST(RingFinder, ThreeSidesCompleteARing) {
  moduleGrid grid = ringFinderModules(1, 3);
  for (int32_t r = 0; r < 7; ++r) grid.dark[size_t(r) * 7 + 6] = 0;  // the right side erased
  for (double degrees : {0.0, 30.0}) {
    cmath_vect corners[4];
    turnedRectangle({80.3, 79.6}, 56, 56, degrees * std::numbers::pi / 180, corners);
    const cmath_vect left[4] = {corners[0], gridPoint(corners, 7, {6, 0}),
                                gridPoint(corners, 7, {6, 7}), corners[3]};
    const auto image = ringImage(grid, 160, corners, 3);
    ringSetup setup(*image, 160);
    ASSERT_EQ(setup.fromLeftEdge(80, 0), 0);
    EXPECT_FALSE(setup.result.tracking.found);
    ASSERT_EQ(setup.fromLeftEdge(80, 1), 0);
    EXPECT_TRUE(foundAt(setup.result.tracking, left, 1.0)) << degrees;
    EXPECT_EQ(setup.result.tracking.fourthCornerInferred, 0);  // the hull gave all four sides
  }

}

TEST(RingFinder, ARowAndArguments) {
  cmath_vect corners[4];
  turnedRectangle({60.3, 59.8}, 42, 42, 0.2, corners);
  const auto image = ringImage(ringFinderModules(1, 3), 120, corners, 9);
  ringSetup setup(*image, 120);
  ASSERT_EQ(setup.onRow(60), 0);
  EXPECT_TRUE(setup.result.tracking.found);

  setup.params.startScanIndex = 1;  // beyond the one scan position
  EXPECT_CHECK_FAILS(setup.onRow(60));
  EXPECT_CHECK_FAILS(cf_BndFindMatchingPDP(image->constImage(), &setup.params, &setup.mask, 0,
                                           &setup.maskXform, setup.visits.image(), 0, nullptr, 6,
                                           100, 0, nullptr, nullptr, &setup.result));
  setup.params.scratchBytes = CID2D_SCRATCH_BYTES - 1;
  EXPECT_CHECK_FAILS(setup.fromLeftEdge(60, 1));
}

TEST(RingBandPattern, IntervalsTolerancesAndThreshold) {
  auto match = [](std::vector<int32_t> widths, cid2d_bandForm form, double maxSize = 2000) {
    std::vector<int16_t> edges = {100};
    for (int32_t w : widths)
      edges.push_back(int16_t((edges.size() % 2 ? -1 : 1) * (std::abs(edges.back()) + w)));
    int32_t tol = 0;
    return cid2d_isRingBandPattern(edges.data(), form, maxSize, &tol) ? tol : -1;
  };
  EXPECT_EQ(match({4, 4, 12, 4, 4}, cid2d_bandsOnRow), 2);
  EXPECT_EQ(match({4, 4, 16, 4, 4}, cid2d_bandsOnRow), -1);  // 16 > 4 + 4 + 4 + 2
  EXPECT_EQ(match({4, 4, 12, 4, 4}, cid2d_bandsOnRow, 27), -1);
  EXPECT_EQ(match({4, 4, 12, 4, 4}, cid2d_bandsOnRow, 28), 2);
  EXPECT_EQ(match({8, 8, 25, 6, 6}, cid2d_bandsOnRow), -1);
  EXPECT_EQ(match({8, 8, 25, 6, 6}, cid2d_bandsOnLine), 4);
  EXPECT_EQ(match({4, 12, 4}, cid2d_bandsShort), 2);
  EXPECT_EQ(match({4, 12, 6}, cid2d_bandsShort), -1);

  // The middle of 100 and 200, moved towards the dark by 8 + 100 / 16 under 36 samples.
  for (int32_t module : {2, 8}) {
    std::vector<uint8_t> samples(200, 200);
    const int32_t positions[6] = {
        50, 50 + module, 50 + 2 * module, 50 + 5 * module, 50 + 6 * module, 50 + 7 * module};
    for (int32_t band : {0, 2, 4})
      for (int32_t q = positions[band] + 1; q <= positions[band + 1]; ++q) samples[q] = 100;
    EXPECT_EQ(cid2d_ringBandThreshold(samples.data(), 200, positions, 5, 2),
              module == 2 ? 150 - 8 - 6 : 150);
  }
}

}  // namespace
