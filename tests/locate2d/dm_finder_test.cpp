// The DataMatrix finder and searches on rendered symbols.
#include <gtest/gtest.h>

#include <algorithm>
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
  explicit locateSetup(testImage& image)
      : image_(image),
        window_(windowOf(image)),
        visits((window_.width + 3) / 4, (window_.height + 3) / 4, 0) {
    cid2d_trackingParams_init(&params);
    scratch_.resize(CID2D_SCRATCH_BYTES / sizeof(int64_t) + 1);
    params.scratch = scratch_.data();
    params.scratchBytes = CID2D_SCRATCH_BYTES;
    for (int32_t y = 0; y < window_.height; y += 6) rows_.push_back(y);
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
  int32_t find(const cid2d_trackingSeed& seed) {
    return cf_BndFindDMSymbolFromSeed(image(), &params, &seed, &run, visits.image(), &mask, 0, &maskXform, &result);
  }
  int32_t next(int32_t lowContrast = 0) {
    return cf_BndFindNextDMSymbol(image(), &params, &mask, 0, &maskXform, lowContrast,
                                  visits.image(), &result);
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

TEST(DataMatrixFinder, ShapeModesAtTheRatioLimits) {
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
    search.params.startScanIndex = search.params.numScanPositions + 5;  // nothing is tried
    ASSERT_EQ(search.next(), 0);
    EXPECT_FALSE(search.result.found);
    EXPECT_EQ(search.result.foundScanIndex, search.params.numScanPositions + 5);
  }
}

TEST(DataMatrixSearch, LowContrastAndCancellation) {
  greyScene scene(200, 200, 140);
  const renderedSymbol symbol = paintDataMatrix(scene, 12, 12, 5.0, 0.2, {100, 100}, 126, 8);
  testImage image(scene);  // contrast 14: row strengths of 42
  locateSetup search(image);
  ASSERT_EQ(search.next(0), 0);
  EXPECT_FALSE(search.result.found);
  ASSERT_EQ(search.next(1), 0);  // the result's contour buffer now exists
  EXPECT_TRUE(search.result.found && isNear(search.result.rect.po, symbol.corners[3], 3.0));
  const int polls = driveAttentionFailures([&] {
    search.clearVisits();
    return search.next(1);
  });
  EXPECT_GT(polls, 3);
  EXPECT_TRUE(search.result.found);
}

}  // namespace
