// The DataMatrix finder and searches on rendered symbols.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/locate2d/dm_l_fit.h"
#include "locate2d/locate_setup.h"
#include "support/datamatrix.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

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

TEST(DataMatrixFinder, SeedRejectionsAndScratchCheck) {
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

TEST(DataMatrixSearch, LowContrastOnRequest) {
  greyScene scene(200, 200, 140);
  const renderedSymbol symbol = paintDataMatrix(scene, 12, 12, 5.0, 0.2, {100, 100}, 126, 8);
  testImage image(scene);  // contrast 14: row strengths of 42
  locateSetup search(image);
  ASSERT_EQ(search.next(0), 0);
  EXPECT_FALSE(search.result.found);
  ASSERT_EQ(search.next(1), 0);  // the result's contour buffer now exists
  EXPECT_TRUE(search.result.found && isNear(search.result.rect.po, symbol.corners[3], 3.0));
}

}  // namespace
