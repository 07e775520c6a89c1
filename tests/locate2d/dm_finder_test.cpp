// The DataMatrix finder and searches on rendered symbols.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/locate2d/dm_l_fit.h"
#include "support/datamatrix.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

cstd_rect32 windowOf(const testImage& image) {
  cstd_rect32 window;
  cimg_imageConst_getWindow(image.constImage(), &window);
  return window;
}

// Finder and search state: parameters, scratch, scan lines, run, mask, visit map, result.
class locateSetup {
  testImage& image_;
  cstd_rect32 window_;
  std::vector<int64_t> scratch_;
  std::vector<int32_t> rows_;

 public:
  explicit locateSetup(testImage& image, int32_t step = 6, int32_t first = 0,
                       int32_t last = 1 << 30)
      : image_(image),
        window_(windowOf(image)),
        visits((window_.width + 3) / 4, (window_.height + 3) / 4, 0) {
    cid2d_trackingParams_init(&params);
    scratch_.resize(CID2D_SCRATCH_BYTES / sizeof(int64_t) + 1);
    params.scratch = scratch_.data();
    params.scratchBytes = CID2D_SCRATCH_BYTES;
    for (int32_t y = first; y < std::min(last, window_.height); y += step) rows_.push_back(y);
    params.scanPositions = rows_.data();
    params.numScanPositions = int32_t(rows_.size());
    cbt_runParams_init(&run);
    run.maxPoints = 16379;
    cid2d_trackingResult_construct(&result);
    cid_mask_construct(&mask, image.image());
    cmath_xformLinear_initIdentity(&maskXform);
  }
  ~locateSetup() {
    cid_mask_destruct(&mask);
    cid2d_trackingResult_destruct(&result);
  }

  const cimg_imageConst* image() const { return image_.constImage(); }
  int32_t find(const cid2d_trackingSeed& seed,
               decltype(cf_BndFindDMSymbolFromSeed)* finder = cf_BndFindDMSymbolFromSeed) {
    return finder(image(), &params, &seed, &run, visits.image(), &mask, 0, &maskXform, &result);
  }
  int32_t next(int32_t lowContrast = 0) {
    return cf_BndFindNextDMSymbol(image(), &params, &mask, 0, &maskXform, lowContrast,
                                  visits.image(), &result);
  }
  int32_t nextAdaptive() {
    return cidut_BoundaryTrackerSearchDMSymbolAdaptiveThreshold(image(), &params, &mask, &maskXform,
                                                                0, visits.image(), &result);
  }
  void clearVisits() {
    for (int32_t y = 0; y < (window_.height + 3) / 4; ++y)
      for (int32_t x = 0; x < (window_.width + 3) / 4; ++x) visits.at(x, y) = 0;
  }
  void claim(const cid_region& region) { ASSERT_EQ(cid_mask_appendRegion(&mask, &region, 2.0), 0); }
  std::vector<cmath_shapeAffineRect> findAll() {
    std::vector<cmath_shapeAffineRect> found;
    while (next() == 0 && result.found) {
      found.push_back(result.rect);
      cid_region region;
      EXPECT_EQ(cid_region_initAffineRect(&region, &result.rect, &result.fourthCorner), 0);
      claim(region);
      params.startScanIndex = result.foundScanIndex;
    }
    return found;
  }

  cid2d_trackingParams params;
  cbt_runParams run;
  cid2d_trackingResult result;
  cid_mask mask;
  cmath_xformLinear maskXform;
  testImage visits;
};

std::vector<cid2d_trackingSeed> rowSeeds(const cimg_imageConst* image, int32_t row) {
  std::vector<cid2d_trackingSeed> seeds(256);
  int32_t count = 0;
  EXPECT_EQ(
      cid2d_getHorizontalTrackingSeeds(image, &row, 1, 256, 45, 0, seeds.data(), &count, 0, 0), 0);
  EXPECT_GT(count, 0);
  seeds.resize(count);
  return seeds;
}

TEST(DataMatrixFinder, RectangularSymbolsAndShapeModes) {
  greyScene scene(300, 200, 210);
  const renderedSymbol symbol =
      paintDataMatrix(scene, 12, 36, 6.0, 0.2, cmath_vect{150, 100}, 30, 5);
  scene.gaussianBlur(0.8);
  testImage image(scene);
  for (int32_t columns : {36, 12}) {  // a 1:3 symbol does not fit a square
    locateSetup setup(image, 6, 3);
    setup.params.symbolRows = 12;
    setup.params.symbolCols = columns;
    ASSERT_EQ(setup.next(), 0);
    ASSERT_EQ(bool(setup.result.found), columns == 36);
    if (columns == 12) continue;
    const cmath_shapeAffineRect& r = setup.result.rect;
    EXPECT_TRUE(isNear(r.po, symbol.corners[3], 1.0));
    EXPECT_TRUE((isNear(r.px, symbol.corners[0], 1.0) && isNear(r.py, symbol.corners[2], 1.0)) ||
                (isNear(r.px, symbol.corners[2], 1.0) && isNear(r.py, symbol.corners[0], 1.0)));
    EXPECT_TRUE(setup.result.score > 0 && setup.result.scoreRange == 1000);
  }
  cid2d_trackingParams params;
  cid2d_trackingParams_init(&params);
  EXPECT_TRUE(cid2d_ratioFitsShape(133, cid2d_shapeSquare, params));
  EXPECT_FALSE(cid2d_ratioFitsShape(134, cid2d_shapeSquare, params));
  EXPECT_FALSE(cid2d_ratioFitsShape(266, cid2d_shapeRectangular, params));  // windows are open
  params.relaxedFit = 1;
  EXPECT_TRUE(cid2d_ratioFitsShape(160, cid2d_shapeSquare, params));
  params.extraRelaxedFit = 1;
  EXPECT_FALSE(cid2d_ratioFitsShape(161, cid2d_shapeSquare, params));  // extra: any shape only
}

greyScene symbolScene() {
  greyScene scene(200, 200, 200);
  paintDataMatrix(scene, 12, 12, 6.0, 0.0, cmath_vect{100, 100}, 40, 9);
  scene.gaussianBlur(0.6);
  return scene;
}

cid_region square(double lo, double hi) {
  cid_region region;
  const cmath_vect corners[4] = {{lo, lo}, {hi, lo}, {lo, hi}, {hi, hi}};
  cid_region_initVectPoints(&region, corners, 0);
  return region;
}

TEST(DataMatrixFinder, SeedRejectionsAndFailureExits) {
  testImage image(symbolScene());
  const cid2d_trackingSeed seed = rowSeeds(image.constImage(), 100)[0];  // the L's left edge
  // Whether the symbol is found, and whether the seed's contour was tracked.
  using outcome = std::pair<bool, bool>;
  auto findAfter = [&](const std::function<void(locateSetup&)>& prepare) {
    locateSetup setup(image);
    prepare(setup);
    setup.result.boundary.numPoints = 0;
    EXPECT_EQ(setup.find(seed), 0);
    return outcome(setup.result.found, setup.result.boundary.numPoints > 0);
  };
  EXPECT_EQ(findAfter([](locateSetup&) {}), outcome(true, true));
  EXPECT_EQ(findAfter([&](locateSetup& s) { s.find(seed); }), outcome(false, false));  // visited
  EXPECT_EQ(findAfter([](locateSetup& s) { s.claim(square(50, 150)); }), outcome(false, false));
  // A claimed region around the symbol's centre, away from the seed.
  EXPECT_EQ(findAfter([](locateSetup& s) { s.claim(square(95, 105)); }), outcome(false, true));
  EXPECT_EQ(findAfter([](locateSetup& s) { s.params.maxSize = 50; }), outcome(false, true));

  locateSetup setup(image);
  int32_t found = 0;
  cbt_result_destruct(&setup.result.boundary);
  auto attempt = [&] {
    setup.clearVisits();
    cbt_result_construct(&setup.result.boundary, 0);
    const int32_t status = setup.find(seed);
    found = setup.result.found;
    cbt_result_destruct(&setup.result.boundary);  // the contour belongs to the result
    return status;
  };
  EXPECT_GE(driveAllocationFailures(attempt), 2);
  EXPECT_GE(driveAttentionFailures(attempt), 2);
  EXPECT_TRUE(found);
  cbt_result_construct(&setup.result.boundary, 0);
  setup.params.scratchBytes = CID2D_SCRATCH_BYTES - 1;
  EXPECT_CHECK_FAILS(setup.find(seed));
}

bool boxIsFound(int32_t width, int32_t height, double cx, double cy, double w, double h,
                bool allowBorderTouch) {
  greyScene scene(width, height, 200);
  scene.paint(
      [&](double x, double y) { return std::abs(x - cx) < w / 2 && std::abs(y - cy) < h / 2; }, 40);
  scene.gaussianBlur(0.6);
  testImage image(scene);
  locateSetup setup(image);
  setup.params.allowBorderTouch = allowBorderTouch;
  EXPECT_EQ(setup.find(rowSeeds(image.constImage(), int32_t(cy)).back()), 0);
  return setup.result.found;
}

TEST(DataMatrixFinder, ContourRejections) {
  EXPECT_TRUE(boxIsFound(200, 200, 100, 100, 60, 60, false));    // a plain square is an L
  EXPECT_FALSE(boxIsFound(200, 200, 20, 100, 60, 60, false));    // cut by the border: open
  EXPECT_TRUE(boxIsFound(200, 200, 20, 100, 60, 60, true));      // unless border touch is allowed
  EXPECT_FALSE(boxIsFound(200, 200, 100, 100, 120, 20, false));  // 1:6, beyond the aspect limit
  EXPECT_FALSE(boxIsFound(200, 200, 100, 100, 12, 12, false));   // too few points
  EXPECT_FALSE(boxIsFound(200, 62, 100, 31, 60, 61.5, true));    // as high as the window
}

TEST(DataMatrixFinder, RelaxedFitMeasuresTheOppositeCorner) {
  const cmath_vect corners[4] = {{60, 150}, {150, 140}, {145, 52}, {58, 60}};
  greyScene scene(200, 200, 200);
  scene.paint(
      [&](double x, double y) {
        for (int32_t i = 0; i < 4; ++i) {
          const cmath_vect &a = corners[i], &b = corners[(i + 1) % 4];
          if ((b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x) > 0) return false;
        }
        return true;
      },
      40);
  scene.gaussianBlur(0.6);
  testImage image(scene);
  for (int32_t relaxed : {0, 1}) {
    locateSetup setup(image, 4, 90, 110);
    setup.params.relaxedFit = relaxed;
    ASSERT_EQ(setup.next(), 0);
    ASSERT_TRUE(setup.result.found);
    EXPECT_EQ(setup.result.fourthCornerInferred, 1 - relaxed);
    int32_t near = 0;
    for (const cmath_vect& c : corners) near += isNear(setup.result.fourthCorner, c, 1.5);
    EXPECT_EQ(near, relaxed);  // only the measured corner is a real one
  }
}

TEST(DataMatrixSearch, FindsEverySymbolOnceWithMaskAndResumption) {
  greyScene scene(400, 300, 205);
  const renderedSymbol symbols[3] = {paintDataMatrix(scene, 12, 12, 5.0, 0.3, {90, 80}, 35, 1),
                                     paintDataMatrix(scene, 14, 14, 4.0, 2.0, {280, 90}, 35, 2),
                                     paintDataMatrix(scene, 10, 10, 6.0, 4.0, {200, 220}, 35, 3)};
  scene.gaussianBlur(0.7);
  scene.addNoise(2.0, 4);
  testImage image(scene);
  for (int32_t scanRows : {1, 0}) {
    locateSetup search(image);
    search.params.scanRows = scanRows;
    const std::vector<cmath_shapeAffineRect> found = search.findAll();
    ASSERT_EQ(found.size(), 3u) << "rows " << scanRows;
    for (const renderedSymbol& symbol : symbols)
      EXPECT_EQ(
          std::count_if(found.begin(), found.end(),
                        [&](const auto& rect) { return isNear(rect.po, symbol.corners[3], 3.0); }),
          1);
    // Nothing is left; a start beyond the scan lines tries nothing.
    const int32_t end = search.params.numScanPositions;
    for (int32_t start : {search.params.startScanIndex, end + 5}) {
      search.params.startScanIndex = start;
      ASSERT_EQ(search.next(), 0);
      EXPECT_FALSE(search.result.found);
      EXPECT_EQ(search.result.foundScanIndex, std::max(start, end));
    }
  }
}

TEST(DataMatrixSearch, LowContrastAndCancellation) {
  greyScene scene(200, 200, 140);
  const renderedSymbol symbol = paintDataMatrix(scene, 12, 12, 5.0, 0.2, {100, 100}, 126, 8);
  testImage image(scene);  // contrast 14: row strengths of 42
  // Columns need 15 between single pixels.
  for (const auto& [lowContrast, scanRows] : {std::pair{0, 1}, {1, 1}, {0, 0}}) {
    locateSetup search(image);
    search.params.scanRows = scanRows;
    ASSERT_EQ(search.next(lowContrast), 0);
    EXPECT_EQ(bool(search.result.found), lowContrast == 1) << lowContrast << " " << scanRows;
    EXPECT_TRUE(!search.result.found || isNear(search.result.rect.po, symbol.corners[3], 3.0));
  }

  locateSetup search(image);
  ASSERT_EQ(search.next(1), 0);  // the result's contour buffer now exists
  const int polls = driveAttentionFailures([&] {
    search.clearVisits();
    return search.next(1);
  });
  EXPECT_GT(polls, 3);
  EXPECT_TRUE(search.result.found);
}

TEST(DataMatrixSearch, AdaptiveSearchFollowsASymbolUnderUnevenLight) {
  // Glare rising across the symbol: no single grey level outlines it.
  greyScene scene(260, 200, 110);
  const renderedSymbol symbol = paintDataMatrix(scene, 14, 14, 6.0, 0.25, {130, 100}, 30, 6);
  scene.shade([](double x, double) { return std::clamp((x - 80) * 130 / 100, 0.0, 130.0); });
  scene.gaussianBlur(0.8);
  testImage image(scene);
  locateSetup search(image, 4);
  ASSERT_EQ(search.nextAdaptive(), 0);
  ASSERT_TRUE(search.result.found);
  const cbt_result& l = search.result.boundary;
  const cmath_vect corner{l.corners[0] + 0.5, l.corners[1] + 0.5};
  EXPECT_TRUE(isNear(corner, symbol.corners[3], 2.0)) << corner.x << "," << corner.y;
  EXPECT_EQ(l.corners[0], l.corners[2]);
}

TEST(DataMatrixSearch, GateFollowsTheEdgeBeforeTracking) {
  greyScene scene(200, 200, 200);
  const renderedSymbol symbol = paintDataMatrix(scene, 12, 12, 6.0, 0.0, {110, 100}, 40, 5);
  scene.paint([](double x, double y) { return x > 20 && x < 30 && y > 95 && y < 103; }, 40);
  testImage image(scene);
  locateSetup search(image);
  // The short blob's edge cannot be followed over five steps of 4 rows; the L's can.
  const auto seeds = rowSeeds(image.constImage(), 99);
  ASSERT_GE(seeds.size(), 3u);
  search.result.boundary.numPoints = -1;
  ASSERT_EQ(search.find(seeds[0], cf_DcdFindDMSymbolFromSeed), 0);
  EXPECT_FALSE(search.result.found);
  EXPECT_EQ(search.result.boundary.numPoints, -1);  // never tracked
  EXPECT_NEAR(seeds[2].x, symbol.corners[3].x, 2.0);
  ASSERT_EQ(search.find(seeds[2], cf_DcdFindDMSymbolFromSeed), 0);
  EXPECT_TRUE(search.result.found);
}

}  // namespace
