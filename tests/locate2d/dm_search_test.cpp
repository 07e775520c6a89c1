// The DataMatrix searches: all symbols of an image one after another, resumption, the
// adaptive search under uneven light, the edge-following gate, cancellation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "support/datamatrix.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

// A search over every `spacing`-th row of an image, with its mask and visit map.
class searchSetup {
 public:
  explicit searchSetup(cimg_image* image, int32_t spacing = 6) : image_(image) {
    cid2d_trackingParams_init(&params);
    scratch_.resize(CID2D_SCRATCH_BYTES / sizeof(int64_t) + 1);
    params.scratch = scratch_.data();
    params.scratchBytes = CID2D_SCRATCH_BYTES;
    cstd_rect32 window;
    cimg_image_getWindow(image, &window);
    for (int32_t y = window.y; y < window.y + window.height; y += spacing) rows_.push_back(y);
    params.scanPositions = rows_.data();
    params.numScanPositions = int32_t(rows_.size());
    cid2d_trackingResult_construct(&result);
    cimg_image_construct(&visits, CIMG_TYPE_8, (window.width + 3) / 4, (window.height + 3) / 4);
    cimg_window w;
    cimg_window_init(&w, &visits);
    for (int32_t y = 0; y < w.height; ++y)
      for (int32_t x = 0; x < w.width; ++x) cimg_window_row<uint8_t>(&w, y)[x] = 0;
    cid_mask_construct(&mask, image);
    cmath_xformLinear_initIdentity(&maskXform);
  }
  ~searchSetup() {
    cid_mask_destruct(&mask);
    cimg_image_destruct(&visits);
    cid2d_trackingResult_destruct(&result);
  }

  const cimg_imageConst* image() const { return cimg_image_asConst(image_); }
  int32_t next(int32_t lowContrast = 0) {
    return cf_BndFindNextDMSymbol(image(), &params, &mask, 0, &maskXform, lowContrast, &visits,
                                  &result);
  }
  int32_t nextAdaptive() {
    return cidut_BoundaryTrackerSearchDMSymbolAdaptiveThreshold(image(), &params, &mask, &maskXform,
                                                                 0, &visits, &result);
  }
  // Claims the found symbol and resumes on its scan line.
  void claim() {
    cid_region region;
    ASSERT_EQ(cid_region_initAffineRect(&region, &result.rect, &result.fourthCorner), 0);
    ASSERT_EQ(cid_mask_appendRegion(&mask, &region, 2.0), 0);
    params.startScanIndex = result.foundScanIndex;
  }
  // Every symbol, found one after another.
  std::vector<cmath_shapeAffineRect> findAll() {
    std::vector<cmath_shapeAffineRect> found;
    while (next() == 0 && result.found) {
      found.push_back(result.rect);
      claim();
    }
    return found;
  }

  cid2d_trackingParams params;
  cid2d_trackingResult result;
  cimg_image visits;
  cid_mask mask;
  cmath_xformLinear maskXform;

 private:
  cimg_image* image_;
  std::vector<int64_t> scratch_;
  std::vector<int32_t> rows_;
};

bool matches(const cmath_shapeAffineRect& rect, const renderedSymbol& symbol) {
  return isNear(rect.po, symbol.corners[3], 3.0);
}

TEST(DataMatrixSearch, FindsEverySymbolOnceWithMaskAndResumption) {
  greyScene scene(400, 300, 205);
  const renderedSymbol a = paintDataMatrix(scene, 12, 12, 5.0, 0.3, {90, 80}, 35, 1);
  const renderedSymbol b = paintDataMatrix(scene, 14, 14, 4.0, 2.0, {280, 90}, 35, 2);
  const renderedSymbol c = paintDataMatrix(scene, 10, 10, 6.0, 4.0, {200, 220}, 35, 3);
  scene.gaussianBlur(0.7);
  scene.addNoise(2.0, 4);
  testImage image(scene);
  searchSetup search(image.image());
  const std::vector<cmath_shapeAffineRect> found = search.findAll();
  ASSERT_EQ(found.size(), 3u);
  for (const renderedSymbol& symbol : {a, b, c}) {
    int32_t hits = 0;
    for (const cmath_shapeAffineRect& rect : found) hits += matches(rect, symbol);
    EXPECT_EQ(hits, 1);
  }
  // Column scans find the symbols too.
  searchSetup columns(image.image());
  columns.params.scanRows = 0;
  EXPECT_EQ(columns.findAll().size(), 3u);

  // Nothing is left; the walk stopped at the end of the scan lines.
  ASSERT_EQ(search.next(), 0);
  EXPECT_FALSE(search.result.found);
  EXPECT_EQ(search.result.foundScanIndex, search.params.numScanPositions);

  // A start beyond the scan lines tries nothing.
  search.params.startScanIndex = search.params.numScanPositions + 5;
  ASSERT_EQ(search.next(), 0);
  EXPECT_FALSE(search.result.found);
  EXPECT_EQ(search.result.foundScanIndex, search.params.numScanPositions + 5);
}

TEST(DataMatrixSearch, ColumnsLowContrastAndCancellation) {
  greyScene scene(200, 200, 140);
  const renderedSymbol symbol = paintDataMatrix(scene, 12, 12, 5.0, 0.2, {100, 100}, 126, 8);
  testImage image(scene);  // contrast 14: row strengths of 42
  {
    searchSetup search(image.image());
    ASSERT_EQ(search.next(), 0);
    EXPECT_FALSE(search.result.found);
  }
  {
    searchSetup search(image.image());
    ASSERT_EQ(search.next(1), 0);
    ASSERT_TRUE(search.result.found);
    EXPECT_TRUE(matches(search.result.rect, symbol));
  }
  {
    searchSetup search(image.image());  // columns need 15 between single pixels
    search.params.scanRows = 0;
    ASSERT_EQ(search.next(), 0);
    EXPECT_FALSE(search.result.found);
  }
  searchSetup search(image.image());
  ASSERT_EQ(search.next(1), 0);  // the result's contour buffer now exists
  auto attempt = [&] {
    cimg_window w;
    cimg_window_init(&w, &search.visits);
    for (int32_t y = 0; y < w.height; ++y)
      for (int32_t x = 0; x < w.width; ++x) cimg_window_row<uint8_t>(&w, y)[x] = 0;
    return search.next(1);
  };
  EXPECT_GT(driveAttentionFailures(attempt), 3);
  EXPECT_TRUE(search.result.found);
}

TEST(DataMatrixSearch, AdaptiveSearchFollowsASymbolUnderUnevenLight) {
  // Glare rising across the symbol: its dark modules on the right are brighter than its
  // light modules on the left, so no single grey level outlines the whole symbol.
  greyScene scene(260, 200, 110);
  const renderedSymbol symbol = paintDataMatrix(scene, 14, 14, 6.0, 0.25, {130, 100}, 30, 6);
  scene.shade([](double x, double) { return std::clamp((x - 80) * 130 / 100, 0.0, 130.0); });
  scene.gaussianBlur(0.8);
  testImage image(scene);
  auto quadMatches = [&](const cmath_shapeAffineRect& r) {
    const cmath_vect far{r.px.x + r.py.x - r.po.x, r.px.y + r.py.y - r.po.y};
    return isNear(r.po, symbol.corners[3], 3.0) && isNear(far, symbol.corners[1], 3.0);
  };
  {
    searchSetup search(image.image(), 4);
    ASSERT_EQ(search.next(), 0);
    EXPECT_FALSE(search.result.found && quadMatches(search.result.rect));
  }
  searchSetup search(image.image(), 4);
  ASSERT_EQ(search.nextAdaptive(), 0);
  ASSERT_TRUE(search.result.found);
  // The L: its corner at the symbol's L corner (whole pixels), its legs along the sides.
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
  searchSetup search(image.image());
  cbt_runParams run;
  cbt_runParams_init(&run);
  run.maxPoints = 16379;
  // The short blob's left edge on row 99 cannot be followed over five steps of 4 rows.
  int32_t row = 99;
  cid2d_trackingSeed seeds[16];
  int32_t count = 0;
  cid2d_getHorizontalTrackingSeeds(search.image(), &row, 1, 16, 45, 0, seeds, &count, 0, 0);
  ASSERT_GE(count, 3);
  search.result.boundary.numPoints = -1;
  ASSERT_EQ(cf_DcdFindDMSymbolFromSeed(search.image(), &search.params, &seeds[0], &run,
                                       &search.visits, &search.mask, 0, &search.maskXform,
                                       &search.result),
            0);
  EXPECT_FALSE(search.result.found);
  EXPECT_EQ(search.result.boundary.numPoints, -1);  // never tracked
  // The symbol's left edge (its L) runs straight over many rows.
  const cid2d_trackingSeed& onTheL = seeds[2];
  EXPECT_NEAR(onTheL.x, symbol.corners[3].x, 2.0);
  ASSERT_EQ(cf_DcdFindDMSymbolFromSeed(search.image(), &search.params, &onTheL, &run, &search.visits,
                                       &search.mask, 0, &search.maskXform, &search.result),
            0);
  EXPECT_TRUE(search.result.found);
}

}  // namespace
