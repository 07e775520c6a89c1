// The ring (PDP) finder on rendered ring finders, DataMatrix symbols and clutter.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/locate2d/pdp_band_pattern.h"
#include "id/idut/locate2d/pdp_quadrilateral.h"
#include "id/idut/locate2d/pdp_three_sides.h"
#include "kit/xform.h"
#include "support/datamatrix.h"
#include "support/hooks.h"
#include "support/symbols.h"
#include "support/synthetic.h"

namespace {

// Signed edges of a grey profile where it crosses `level`: the sample before the crossing,
// positive from dark to light.
std::vector<int16_t> crossings(const std::vector<uint8_t>& profile, int32_t level) {
  std::vector<int16_t> edges;
  for (size_t x = 0; x + 1 < profile.size(); ++x)
    if ((profile[x] <= level) != (profile[x + 1] <= level))
      edges.push_back(int16_t(profile[x] < profile[x + 1] ? x : -int32_t(x)));
  return edges;
}

std::vector<uint8_t> rowOf(testImage& image, int32_t width, int32_t y) {
  std::vector<uint8_t> row(width);
  for (int32_t x = 0; x < width; ++x) row[x] = image.at(x, y);
  return row;
}

// Ring finder state for one image: parameters with scratch, mask, visit map and result.
class ringSetup {
  testImage& image_;
  int32_t width_, height_;
  std::vector<int64_t> scratch_;
  std::vector<int32_t> rows_;

 public:
  ringSetup(testImage& image, int32_t width, int32_t height)
      : image_(image), width_(width), height_(height), visits((width + 3) / 4, (height + 3) / 4, 0) {
    cid2d_trackingParams_init(&params);
    scratch_.resize(CID2D_SCRATCH_BYTES / sizeof(int64_t) + 1);
    params.scratch = scratch_.data();
    params.scratchBytes = CID2D_SCRATCH_BYTES;
    cid2d_trackingResult_construct(&result.tracking);
    result.trackCount = 0;
    cid_mask_construct(&mask, image.image());
    cmath_xformLinear_initIdentity(&maskXform);
  }
  ~ringSetup() {
    cid_mask_destruct(&mask);
    cid2d_trackingResult_destruct(&result.tracking);
  }
  void clearVisits() {
    for (int32_t y = 0; y < (height_ + 3) / 4; ++y)
      for (int32_t x = 0; x < (width_ + 3) / 4; ++x) visits.at(x, y) = 0;
  }
  // The row search on row y, confirmed by the rows `apart` above and below.
  int32_t onRow(int32_t y, int32_t level, int32_t tryThreeSides = 0, int32_t apart = 3) {
    rows_ = {y};
    params.scanPositions = rows_.data();
    params.numScanPositions = 1;
    params.startScanIndex = 0;
    const auto at = crossings(rowOf(image_, width_, y), level);
    const auto above = crossings(rowOf(image_, width_, y - apart), level);
    const auto below = crossings(rowOf(image_, width_, y + apart), level);
    return cf_BndFindNextPDP(image_.constImage(), &params, &mask, 0, &maskXform, visits.image(),
                             tryThreeSides, at.data(), above.data(), below.data(),
                             int32_t(at.size()), int32_t(above.size()), int32_t(below.size()),
                             &result);
  }
  int32_t fromSeed(const cid2d_trackingSeed& seed, int32_t tryThreeSides) {
    cbt_runParams run;
    cbt_runParams_init(&run);
    return cf_BndFindPDPSymbolFromSeed(image_.constImage(), &params, &seed, &run, visits.image(),
                                       tryThreeSides, &mask, 0, &maskXform, &result);
  }

  cid2d_trackingParams params;
  cid2d_pdpResult result;
  cid_mask mask;
  cmath_xformLinear maskXform;
  testImage visits;
};

// The found rectangle's four corners.
std::vector<cmath_vect> foundCorners(const cid2d_trackingResult& r) {
  return {r.rect.po, r.rect.px, r.rect.py, r.fourthCorner};
}

// Whether every found corner lies within `tolerance` of a different expected corner.
bool cornersMatch(const std::vector<cmath_vect>& found, const cmath_vect expected[4],
                  double tolerance) {
  std::vector<bool> used(4);
  for (const cmath_vect& f : found) {
    bool matched = false;
    for (int32_t k = 0; k < 4 && !matched; ++k)
      if (!used[k] && isNear(f, expected[k], tolerance)) used[k] = matched = true;
    if (!matched) return false;
  }
  return true;
}

std::string describe(const std::vector<cmath_vect>& corners) {
  std::string text;
  for (const cmath_vect& c : corners)
    text += " (" + std::to_string(c.x) + ", " + std::to_string(c.y) + ")";
  return text;
}

// Point `at` of an n x n module grid whose outline is at `outline`, in the image.
cmath_vect gridPoint(const cmath_vect outline[4], double n, cmath_vect at) {
  const cmath_vect unit[4] = {{0, 0}, {n, 0}, {n, n}, {0, n}};
  cmath_xformPerspective toImage;
  cmath_vect p{};
  if (cmath_xformPerspective_constructPointsAllowNonUnique(&toImage, unit, outline, 4) < 0) return p;
  cmath_xformPerspective_mapPoint(&toImage, &at, &p);
  cmath_xformPerspective_destruct(&toImage);
  return p;
}

// Whether the found corners are those of one of the grid's ring outlines (module-grid lines
// `inset` modules inside the outline, mapped like the grid) within `tolerance` pixels.
bool isOnARing(const cid2d_trackingResult& result, const moduleGrid& grid,
               const cmath_vect outline[4], double tolerance) {
  const double n = grid.columns;
  for (int32_t inset = 0; inset < grid.columns / 2; ++inset) {
    const double lo = inset, hi = n - inset;
    const cmath_vect ring[4] = {gridPoint(outline, n, {lo, lo}), gridPoint(outline, n, {hi, lo}),
                                gridPoint(outline, n, {hi, hi}), gridPoint(outline, n, {lo, hi})};
    if (cornersMatch(foundCorners(result), ring, tolerance)) return true;
  }
  return false;
}

// A scene of size x size pixels holding the grid with its outline at `corners`, blurred
// and noisy; dark on light or light on dark.
greyScene ringScene(const moduleGrid& grid, int32_t size, const cmath_vect corners[4],
                    bool lightOnDark, uint32_t noiseSeed) {
  greyScene scene(size, size, lightOnDark ? 40 : 200);
  paintModules(scene, grid, corners, lightOnDark ? 200 : 40);
  scene.gaussianBlur(0.7);
  scene.addNoise(2.0, noiseSeed);
  return scene;
}

TEST(RingFinder, FindsRenderedRingsAtAnyAngleSizeAndPolarity) {
  uint32_t noiseSeed = 1;
  for (int32_t rings : {1, 2}) {
    const moduleGrid grid = rings == 1 ? ringFinderModules(1, 3) : ringFinderModules(2, 1);
    for (double module : {3.0, 5.0, 8.0}) {
      for (int32_t degrees : {0, 17, 38, 62}) {
        for (bool lightOnDark : {false, true}) {
          const double side = grid.columns * module;
          const int32_t size = int32_t(side * 1.6) + 30;
          cmath_vect corners[4];
          turnedRectangle({size / 2.0 + 0.3, size / 2.0 - 0.2}, side, side,
                          degrees * std::numbers::pi / 180, corners);
          testImage image(ringScene(grid, size, corners, lightOnDark, noiseSeed++));
          ringSetup setup(image, size, size);
          const std::string what = std::to_string(rings) + " rings, module " +
                                   std::to_string(module) + ", " + std::to_string(degrees) +
                                   " degrees" + (lightOnDark ? ", light on dark" : "");
          ASSERT_EQ(setup.onRow(size / 2, 120), 0) << what;
          ASSERT_TRUE(setup.result.tracking.found) << what;
          // With 3-pixel modules the straight runs reach into the rounded corners.
          EXPECT_TRUE(isOnARing(setup.result.tracking, grid, corners, module < 4 ? 1.25 : 1.0))
              << what << ":" << describe(foundCorners(setup.result.tracking));
          EXPECT_EQ(setup.result.tracking.score, 700);
          EXPECT_EQ(setup.result.tracking.fourthCornerInferred, 0);
          EXPECT_EQ(setup.result.trackCount, 1);
        }
      }
    }
  }
  // Moderate perspective: one side shorter than the other.
  const moduleGrid grid = ringFinderModules(1, 3);
  const cmath_vect views[2][4] = {{{40, 42}, {100, 48}, {96, 104}, {44, 96}},
                                  {{50, 30}, {104, 52}, {92, 108}, {34, 90}}};
  for (const auto& corners : views) {
    testImage image(ringScene(grid, 140, corners, false, noiseSeed++));
    ringSetup setup(image, 140, 140);
    ASSERT_EQ(setup.onRow(70, 120), 0);
    ASSERT_TRUE(setup.result.tracking.found);
    EXPECT_TRUE(isOnARing(setup.result.tracking, grid, corners, 1.0))
        << describe(foundCorners(setup.result.tracking));
  }
}

// The leftmost row seed of row y.
cid2d_trackingSeed leftmostSeed(const cimg_imageConst* image, int32_t y) {
  cid2d_trackingSeed seeds[64];
  int32_t count = 0;
  EXPECT_EQ(cid2d_getHorizontalTrackingSeeds(image, &y, 1, 64, 45, 0, seeds, &count, 0, 0), 0);
  EXPECT_GT(count, 0);
  return seeds[0];
}

TEST(RingFinder, ThreeSidesCompleteARingMissingItsFourth) {
  moduleGrid grid = ringFinderModules(1, 3);
  for (int32_t r = 0; r < grid.rows; ++r) grid.dark[size_t(r) * grid.columns + 6] = 0;
  for (double degrees : {0.0, 10.0, 30.0}) {
    cmath_vect corners[4];
    turnedRectangle({80.3, 79.6}, 56, 56, degrees * std::numbers::pi / 180, corners);
    testImage image(ringScene(grid, 160, corners, false, 3));
    // What is left: six modules across, seven down.
    const cmath_vect left[4] = {corners[0], gridPoint(corners, 7, {6, 0}),
                                gridPoint(corners, 7, {6, 7}), corners[3]};
    for (int32_t tryThreeSides : {0, 1}) {
      ringSetup setup(image, 160, 160);
      ASSERT_EQ(setup.fromSeed(leftmostSeed(image.constImage(), 80), tryThreeSides), 0);
      EXPECT_EQ(setup.result.trackCount, 1);
      ASSERT_EQ(setup.result.tracking.found, tryThreeSides) << degrees;
      if (!tryThreeSides) continue;
      EXPECT_TRUE(cornersMatch(foundCorners(setup.result.tracking), left, 1.0))
          << degrees << ":" << describe(foundCorners(setup.result.tracking));
      EXPECT_EQ(setup.result.tracking.fourthCornerInferred, 0);  // the hull gave all four sides
      EXPECT_EQ(setup.result.tracking.score, 700);
    }
  }
}

// A contour (1/16 pixel) of two straight sides, along the top from (0, 0) to (w, 0) and up
// the left from (0, h), joined by a quarter ellipse of short steps: the hull has no long
// edge facing the sides, so the lines through its farthest points close the rectangle.
TEST(RingFinder, ThreeSidesCloseOnTheFarthestHullPoints) {
  constexpr int32_t w = 40 * 16, h = 30 * 16, step = 2 * 16;
  std::vector<cid2d_point> contour;
  for (int32_t x = 0; x < w; x += step) contour.push_back({x, 0});
  const int32_t arcStart = int32_t(contour.size());
  for (int32_t i = 0; i <= 40; ++i) {
    const double t = i * std::numbers::pi / 80;
    contour.push_back({int32_t(std::lround(w * std::cos(t))), int32_t(std::lround(h * std::sin(t)))});
  }
  const int32_t leftStart = int32_t(contour.size());
  for (int32_t y = h - step; y > 0; y -= step) contour.push_back({0, y});
  const int32_t n = int32_t(contour.size());
  cid2d_segment segments[3] = {{leftStart, 0, n}, {0, 0, arcStart}, {0, 0, 0}};
  for (cid2d_segment& s : segments) {
    const cid2d_chord c = cid2d_segmentChord(contour.data(), n, s);
    s.lengthSq = int32_t((c.dx() / 4) * (c.dx() / 4) + (c.dy() / 4) * (c.dy() / 4));
  }
  leakGuard guard;
  cid2d_ringFit fit;
  ASSERT_EQ(cid2d_completeRingFromThreeSides(contour.data(), contour.data(), n, segments, 2, &fit), 0);
  ASSERT_TRUE(fit.found);
  EXPECT_EQ(fit.fourthCornerInferred, 1);
  const cmath_vect expected[4] = {{0, 0}, {40, 0}, {40, 30}, {0, 30}};
  EXPECT_TRUE(cornersMatch({fit.corners.corner, fit.corners.side1, fit.corners.side2,
                            fit.corners.fourth}, expected, 0.01));
  EXPECT_TRUE(isNear(fit.corners.fourth, expected[2], 0.01));

  // The hull of a square with points along its sides and inside keeps only the corners,
  // clockwise from the top left.
  std::vector<cid2d_point> square = {{5, 5}, {0, 0}, {10, 10}, {0, 10}, {10, 0}, {5, 0}, {0, 5}, {3, 7}};
  std::vector<cid2d_hullEntry> work(square.size());
  std::vector<cid2d_point> hull(square.size());
  int32_t count = 0;
  ASSERT_EQ(cid2d_convexHull(square.data(), int32_t(square.size()), work.data(), hull.data(), &count), 0);
  ASSERT_EQ(count, 4);
  const cid2d_point corners[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  for (int32_t k = 0; k < 4; ++k) EXPECT_TRUE(hull[k].x == corners[k].x && hull[k].y == corners[k].y) << k;
}

// The outline of a parallelogram with sides of 30 pixels along x and along `degrees`, in
// 1/16 pixel, 1 pixel between points; its four runs stop 2 points short of each corner.
struct parallelogram {
  std::vector<cid2d_point> contour;
  cid2d_segment segments[4];
};
parallelogram parallelogramContour(double degrees) {
  const double ux = 16 * std::cos(degrees * std::numbers::pi / 180),
               uy = 16 * std::sin(degrees * std::numbers::pi / 180);
  const double corner[4][2] = {{0, 0}, {480, 0}, {480 + 30 * ux, 30 * uy}, {30 * ux, 30 * uy}};
  parallelogram p;
  for (int32_t side = 0; side < 4; ++side) {
    const double *a = corner[side], *b = corner[(side + 1) % 4];
    const int32_t first = int32_t(p.contour.size());
    for (int32_t i = 0; i < 30; ++i)
      p.contour.push_back({int32_t(std::lround(a[0] + (b[0] - a[0]) * i / 30)),
                           int32_t(std::lround(a[1] + (b[1] - a[1]) * i / 30))});
    p.segments[side] = {first + 2, 27 * 27 * 16, first + 29};
  }
  return p;
}

TEST(RingFinder, QuadrilateralNeedsCornersOfAtLeast61Degrees) {
  const parallelogram square = parallelogramContour(90);
  const cid2d_ringFit fit = cid2d_fitRingQuadrilateral(square.contour.data(), 120, square.segments);
  ASSERT_TRUE(fit.found);
  EXPECT_EQ(fit.fourthCornerInferred, 0);
  // Origin at the corner between sides 1 and 2, its sides' ends at the corners beyond.
  EXPECT_TRUE(isNear(fit.corners.corner, {30, 30}, 0.1));
  EXPECT_TRUE(isNear(fit.corners.side1, {30, 0}, 0.1));
  EXPECT_TRUE(isNear(fit.corners.side2, {0, 30}, 0.1));
  EXPECT_TRUE(isNear(fit.corners.fourth, {0, 0}, 0.1));
  EXPECT_TRUE(cid2d_fitRingQuadrilateral(parallelogramContour(62).contour.data(), 120,
                                         parallelogramContour(62).segments).found);
  const parallelogram rhombus = parallelogramContour(60);  // |tan| x 1000 = 1732 < 1804
  EXPECT_FALSE(cid2d_fitRingQuadrilateral(rhombus.contour.data(), 120, rhombus.segments).found);
  // Runs covering a third of the contour or less are no quadrilateral.
  parallelogram shortRuns = parallelogramContour(90);
  for (cid2d_segment& s : shortRuns.segments) s.end = s.start + 9;
  EXPECT_FALSE(cid2d_fitRingQuadrilateral(shortRuns.contour.data(), 120, shortRuns.segments).found);
}

TEST(RingFinder, ManySidedBlobsDataMatrixAndClutterAreNotRings) {
  // A plus sign: twelve straight sides, too many for a ring even with three-side completion.
  greyScene plus(160, 160, 200);
  plus.paint([](double x, double y) {
    return (std::abs(x - 80) < 12 && std::abs(y - 80) < 40) || (std::abs(x - 80) < 40 && std::abs(y - 80) < 12);
  }, 40);
  plus.gaussianBlur(0.7);
  testImage plusImage(plus);
  ringSetup plusSetup(plusImage, 160, 160);
  ASSERT_EQ(plusSetup.fromSeed(leftmostSeed(plusImage.constImage(), 80), 1), 0);
  EXPECT_EQ(plusSetup.result.trackCount, 1);
  EXPECT_FALSE(plusSetup.result.tracking.found);

  greyScene scene(320, 240, 200);
  paintDataMatrix(scene, 14, 14, 5.0, 0.3, {90, 110}, 40, 3);
  std::mt19937 random(5);
  std::uniform_real_distribution<double> uniform(0, 1);
  for (int32_t i = 0; i < 8; ++i) {  // blobs
    const double cx = 180 + 130 * uniform(random), cy = 240 * uniform(random), r = 3 + 12 * uniform(random);
    scene.paint([&](double x, double y) { return std::hypot(x - cx, y - cy) < r; }, 30 + 60 * uniform(random));
  }
  // Text: lines of glyphs of 3 x 5 random cells of 2 pixels, 8 pixels apart.
  std::vector<bool> ink(16 * 17 * 15);
  for (size_t i = 0; i < ink.size(); ++i) ink[i] = uniform(random) < 0.5;
  scene.paint([&](double x, double y) {
    const int32_t line = int32_t(y - 6) / 14, glyph = int32_t(x - 172) / 8;
    const int32_t cx = int32_t(x - 172) % 8 / 2, cy = int32_t(y - 6) % 14 / 2;
    return x >= 172 && y >= 6 && line < 16 && glyph < 17 && cx < 3 && cy < 5 &&
           ink[(line * 17 + glyph) * 15 + cy * 3 + cx];
  }, 50);
  scene.gaussianBlur(0.7);
  scene.addNoise(2.0, 6);
  testImage image(scene);
  // Without three-side completion: the symbol's solid L, and glyphs run together into
  // blocks, have the two straight perpendicular sides that it completes.
  ringSetup setup(image, 320, 240);
  for (int32_t y = 6; y < 232; y += 2) {
    // A seed whose level its start segment does not cross ends the row with the tracker's
    // status.
    const int32_t status = setup.onRow(y, 120);
    EXPECT_TRUE(status == 0 || status == CBT_STATUS_NO_BOUNDARY) << status;
    EXPECT_FALSE(setup.result.tracking.found) << "row " << y;
  }
  EXPECT_GT(setup.result.trackCount, 10);  // patterns were matched and their contours tracked
}

TEST(RingFinder, MatchesAlongASampledLine) {
  const moduleGrid grid = ringFinderModules(1, 3);
  cmath_vect corners[4];
  turnedRectangle({70.4, 69.7}, 42, 42, 0.35, corners);
  testImage image(ringScene(grid, 140, corners, false, 11));
  // Samples one pixel apart on a line through the centre at 20 degrees.
  std::vector<double> line;
  std::vector<uint8_t> profile;
  for (int32_t s = 0; s < 110; ++s) {
    const double x = 70 + (s - 55) * std::cos(0.35), y = 69.2 + (s - 55) * std::sin(0.35);
    line.insert(line.end(), {x, y});
    profile.push_back(image.at(int32_t(x + 0.5), int32_t(y + 0.5)));
  }
  const std::vector<int16_t> edges = crossings(profile, 120);
  for (int32_t shortPattern : {0, 1}) {
    ringSetup setup(image, 140, 140);
    ASSERT_EQ(cf_BndFindMatchingPDP(image.constImage(), &setup.params, &setup.mask, 0,
                                    &setup.maskXform, setup.visits.image(), 0, edges.data(),
                                    int32_t(edges.size()), int32_t(profile.size()), shortPattern,
                                    line.data(), profile.data(), &setup.result),
              0);
    ASSERT_TRUE(setup.result.tracking.found) << shortPattern;
    EXPECT_TRUE(isOnARing(setup.result.tracking, grid, corners, 1.0))
        << describe(foundCorners(setup.result.tracking));
  }
}

// A ring finder of 6-pixel modules in the middle of a 120 x 120 scene.
greyScene plainRing(cmath_vect corners[4]) {
  turnedRectangle({60.3, 59.8}, 42, 42, 0.2, corners);
  return ringScene(ringFinderModules(1, 3), 120, corners, false, 9);
}

TEST(RingFinder, FailureExitsReleaseEverything) {
  cmath_vect corners[4];
  testImage image(plainRing(corners));
  ringSetup setup(image, 120, 120);
  auto fresh = [&](auto call) {
    return [&, call] {
      setup.clearVisits();
      cbt_result_construct(&setup.result.tracking.boundary, 0);
      const int32_t status = call();
      cbt_result_destruct(&setup.result.tracking.boundary);
      return status;
    };
  };
  cbt_result_destruct(&setup.result.tracking.boundary);
  const auto row = fresh([&] { return setup.onRow(60, 120); });
  EXPECT_GE(driveAllocationFailures(row), 1);
  EXPECT_GE(driveAttentionFailures(row), 3);
  EXPECT_TRUE(setup.result.tracking.found);
  // The three-side completion allocates and polls once more.
  moduleGrid open = ringFinderModules(1, 3);
  for (int32_t r = 0; r < open.rows; ++r) open.dark[size_t(r) * open.columns + 6] = 0;
  testImage openImage(ringScene(open, 120, corners, false, 10));
  ringSetup openSetup(openImage, 120, 120);
  const cid2d_trackingSeed seed = leftmostSeed(openImage.constImage(), 60);
  cbt_result_destruct(&openSetup.result.tracking.boundary);
  const auto threeSides = [&] {
    openSetup.clearVisits();
    cbt_result_construct(&openSetup.result.tracking.boundary, 0);
    const int32_t status = openSetup.fromSeed(seed, 1);
    cbt_result_destruct(&openSetup.result.tracking.boundary);
    return status;
  };
  EXPECT_EQ(driveAllocationFailures(threeSides), 2);
  EXPECT_EQ(driveAttentionFailures(threeSides), 3);
  EXPECT_TRUE(openSetup.result.tracking.found);
  cbt_result_construct(&openSetup.result.tracking.boundary, 0);

  // A tracker failure is returned: a seed whose start segment leaves the image.
  cid2d_trackingSeed outside = seed;
  outside.startX = 1000 * 256;
  outside.endX = 999 * 256;
  openSetup.clearVisits();
  EXPECT_EQ(openSetup.fromSeed(outside, 1), CBT_STATUS_NO_BOUNDARY);
  // A pattern wider than maxSize is not tried.
  setup.clearVisits();
  setup.result.trackCount = 0;
  cbt_result_construct(&setup.result.tracking.boundary, 0);
  setup.params.maxSize = 40;
  ASSERT_EQ(setup.onRow(60, 120), 0);
  EXPECT_FALSE(setup.result.tracking.found);
  EXPECT_EQ(setup.result.trackCount, 0);

  setup.params.startScanIndex = 1;  // beyond the one scan position
  EXPECT_CHECK_FAILS(cf_BndFindNextPDP(image.constImage(), &setup.params, &setup.mask, 0,
                                       &setup.maskXform, setup.visits.image(), 0, nullptr,
                                       nullptr, nullptr, 0, 0, 0, &setup.result));
  EXPECT_CHECK_FAILS(cf_BndFindMatchingPDP(image.constImage(), &setup.params, &setup.mask, 0,
                                           &setup.maskXform, setup.visits.image(), 0, nullptr, 6,
                                           100, 0, nullptr, nullptr, &setup.result));
  openSetup.params.scratchBytes = CID2D_SCRATCH_BYTES - 1;
  EXPECT_CHECK_FAILS(openSetup.fromSeed(seed, 1));
}

TEST(RingBandPattern, IntervalsTolerancesAndThreshold) {
  // Alternating edges from position 100 with the given intervals, the first dark to light.
  auto edges = [](std::vector<int32_t> widths) {
    std::vector<int16_t> list = {100};
    for (int32_t w : widths)
      list.push_back(int16_t((list.size() % 2 ? -1 : 1) * (std::abs(list.back()) + w)));
    return list;
  };
  int32_t tol = 0;
  EXPECT_TRUE(cid2d_isRingBandPattern(edges({4, 4, 12, 4, 4}).data(), cid2d_bandsOnRow, 2000, &tol));
  EXPECT_EQ(tol, 2);
  EXPECT_FALSE(cid2d_isRingBandPattern(edges({4, 4, 16, 4, 4}).data(), cid2d_bandsOnRow, 2000, &tol));
  EXPECT_FALSE(cid2d_isRingBandPattern(edges({4, 4, 12, 4, 4}).data(), cid2d_bandsOnRow, 27, &tol));
  EXPECT_TRUE(cid2d_isRingBandPattern(edges({4, 4, 12, 4, 4}).data(), cid2d_bandsOnRow, 28, &tol));
  std::vector<int16_t> unsigned_ = edges({4, 4, 12, 4, 4});
  unsigned_[3] = int16_t(-unsigned_[3]);  // two neighbours of one sign
  EXPECT_FALSE(cid2d_isRingBandPattern(unsigned_.data(), cid2d_bandsOnRow, 2000, &tol));
  // Lopsided: the row bounds the centre by either side, the line by one side and half the other.
  EXPECT_FALSE(cid2d_isRingBandPattern(edges({8, 8, 25, 6, 6}).data(), cid2d_bandsOnRow, 2000, &tol));
  EXPECT_TRUE(cid2d_isRingBandPattern(edges({8, 8, 25, 6, 6}).data(), cid2d_bandsOnLine, 2000, &tol));
  EXPECT_TRUE(cid2d_isRingBandPattern(edges({4, 12, 4}).data(), cid2d_bandsShort, 2000, &tol));
  EXPECT_FALSE(cid2d_isRingBandPattern(edges({4, 12, 6}).data(), cid2d_bandsShort, 2000, &tol));

  // Dark bands of 100 and light ones of 200: the middle, moved towards the dark for small
  // patterns (8, and a sixteenth of the difference 100).
  for (int32_t module : {2, 8}) {
    std::vector<uint8_t> samples(200, 200);
    int32_t positions[6];
    for (int32_t i = 0; i < 6; ++i) positions[i] = 50 + i * module + (i >= 3 ? 2 * module : 0);
    for (int32_t band : {0, 2, 4})
      for (int32_t q = positions[band] + 1; q <= positions[band + 1]; ++q) samples[q] = 100;
    EXPECT_EQ(cid2d_ringBandThreshold(samples.data(), 200, positions, 5, 2),
              module == 2 ? 150 - 8 - 6 : 150);
  }
}

}  // namespace
