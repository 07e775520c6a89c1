// The DataMatrix finder from a seed on rendered symbols, its rejections and its failure
// exits.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/locate2d/dm_l_fit.h"
#include "support/datamatrix.h"
#include "support/hooks.h"
#include "support/synthetic.h"

namespace {

// Everything a finder call needs besides the image, released with the object.
class finderSetup {
 public:
  explicit finderSetup(const cimg_imageConst* image) : image_(image) {
    cid2d_trackingParams_init(&params);
    scratch_.resize(CID2D_SCRATCH_BYTES / sizeof(int64_t) + 1);
    params.scratch = scratch_.data();
    params.scratchBytes = CID2D_SCRATCH_BYTES;
    cbt_runParams_init(&run);
    run.maxPoints = params.maxBoundaryPoints < 16379 ? params.maxBoundaryPoints : 16379;
    cid2d_trackingResult_construct(&result);
    cstd_rect32 window;
    cimg_imageConst_getWindow(image, &window);
    cimg_image_construct(&visits_, CIMG_TYPE_8, (window.width + 3) / 4, (window.height + 3) / 4);
    clearVisits();
    cid_mask_construct(&mask, nullptr);
    cmath_xformLinear_initIdentity(&maskXform);
  }
  ~finderSetup() {
    cid_mask_destruct(&mask);
    cimg_image_destruct(&visits_);
    cid2d_trackingResult_destruct(&result);
  }

  void clearVisits() {
    cimg_window w;
    cimg_window_init(&w, &visits_);
    for (int32_t y = 0; y < w.height; ++y)
      for (int32_t x = 0; x < w.width; ++x) cimg_window_row<uint8_t>(&w, y)[x] = 0;
  }
  uint8_t& visit(int32_t bx, int32_t by) {
    cimg_window w;
    cimg_window_init(&w, &visits_);
    return cimg_window_row<uint8_t>(&w, by)[bx];
  }

  int32_t find(const cid2d_trackingSeed& seed) {
    return cf_BndFindDMSymbolFromSeed(image_, &params, &seed, &run, &visits_, &mask, 0,
                                      &maskXform, &result);
  }

  // Offers the seeds of every `step`-th row between first and last (image rows), in scan
  // order as a search would, until one yields a symbol.
  int32_t search(int32_t step = 6, int32_t first = 0, int32_t last = 1 << 30) {
    cstd_rect32 window;
    cimg_imageConst_getWindow(image_, &window);
    std::vector<int32_t> rows;
    for (int32_t y = std::max(first, window.y + 3); y < std::min(last, window.y + window.height - 3);
         y += step)
      rows.push_back(y);
    std::vector<cid2d_trackingSeed> seeds(4000);
    int32_t count = 0;
    EXPECT_EQ(cid2d_getHorizontalTrackingSeeds(image_, rows.data(), int32_t(rows.size()), 4000, 45,
                                               0, seeds.data(), &count, 0, 0),
              0);
    for (int32_t i = 0; i < count; ++i) {
      if (const int32_t status = find(seeds[i]); status < 0 || result.found) return status;
    }
    return 0;
  }

  cid2d_trackingParams params;
  cbt_runParams run;
  cid2d_trackingResult result;
  cid_mask mask;
  cmath_xformLinear maskXform;

 private:
  const cimg_imageConst* image_;
  std::vector<int64_t> scratch_;
  cimg_image visits_;
};

// Expects the found L at the rendered symbol's L corner and leg ends.
void expectFoundAt(const cid2d_trackingResult& result, const renderedSymbol& symbol,
                   double tolerance, const std::string& what) {
  ASSERT_TRUE(result.found) << what;
  // The finder reports continuous coordinates, as the rendering does.
  const cmath_vect corner = result.rect.po;
  const cmath_vect a = result.rect.px, b = result.rect.py;
  EXPECT_TRUE(isNear(corner, symbol.corners[3], tolerance))
      << what << ": corner " << corner.x << "," << corner.y << " expected "
      << symbol.corners[3].x << "," << symbol.corners[3].y;
  const bool direct = isNear(a, symbol.corners[0], tolerance) && isNear(b, symbol.corners[2], tolerance);
  const bool swapped = isNear(a, symbol.corners[2], tolerance) && isNear(b, symbol.corners[0], tolerance);
  EXPECT_TRUE(direct || swapped) << what << ": legs end at " << a.x << "," << a.y << " and "
                                 << b.x << "," << b.y;
  EXPECT_GT(result.score, 0);
  EXPECT_EQ(result.scoreRange, 1000);
}

// The seed on the row through the middle of the symbol's more upright L leg, nearest to
// the leg: a seed on the finder's solid edge, where the edge has full contrast.
cid2d_trackingSeed seedOnTheL(const cimg_imageConst* image, const renderedSymbol& symbol) {
  const cmath_vect& corner = symbol.corners[3];
  const cmath_vect& a = symbol.corners[0];
  const cmath_vect& b = symbol.corners[2];
  const cmath_vect& end = std::abs(a.y - corner.y) > std::abs(b.y - corner.y) ? a : b;
  const cmath_vect middle{(corner.x + end.x) / 2 - 0.5, (corner.y + end.y) / 2 - 0.5};
  int32_t row = int32_t(std::lround(middle.y));
  cid2d_trackingSeed seeds[256];
  int32_t count = 0;
  cid2d_getHorizontalTrackingSeeds(image, &row, 1, 256, 45, 0, seeds, &count, 0, 0);
  EXPECT_GT(count, 0);
  int32_t best = 0;
  for (int32_t i = 1; i < count; ++i)
    if (std::abs(seeds[i].x - middle.x) < std::abs(seeds[best].x - middle.x)) best = i;
  return seeds[best];
}

TEST(DataMatrixFinder, FindsRenderedSymbolsAtEveryAngleAndModuleSize) {
  int32_t tried = 0;
  for (double moduleSize : {3.0, 4.5, 6.0, 8.0, 10.0}) {
    for (int32_t degrees = 0; degrees < 360; degrees += 25) {
      const int32_t modules = moduleSize < 5 ? 16 : 12;
      const double side = modules * moduleSize;
      const int32_t size = int32_t(side * 1.5) + 40;
      greyScene scene(size, size, 200);
      const renderedSymbol symbol =
          paintDataMatrix(scene, modules, modules, moduleSize, degrees * std::numbers::pi / 180,
                          cmath_vect{size / 2.0 + 0.3, size / 2.0 - 0.2}, 40, uint32_t(degrees));
      scene.gaussianBlur(0.7);
      scene.addNoise(3.0, uint32_t(tried));
      testImage image(scene);
      finderSetup setup(image.constImage());
      ASSERT_EQ(setup.find(seedOnTheL(image.constImage(), symbol)), 0);
      expectFoundAt(setup.result, symbol, 1.0,
                    "module " + std::to_string(moduleSize) + " angle " + std::to_string(degrees));
      ++tried;
    }
  }
}

TEST(DataMatrixFinder, RectangularSymbolsAndShapeModes) {
  greyScene scene(300, 200, 210);
  const renderedSymbol symbol = paintDataMatrix(scene, 12, 36, 6.0, 0.2, cmath_vect{150, 100}, 30, 5);
  scene.gaussianBlur(0.8);
  testImage image(scene);
  {
    finderSetup setup(image.constImage());
    setup.params.symbolRows = 12;
    setup.params.symbolCols = 36;
    ASSERT_EQ(setup.search(), 0);
    expectFoundAt(setup.result, symbol, 1.0, "rectangular");
  }
  {
    finderSetup setup(image.constImage());  // square expected: a 1:3 symbol does not fit
    setup.params.symbolRows = setup.params.symbolCols = 12;
    ASSERT_EQ(setup.search(), 0);
    EXPECT_FALSE(setup.result.found);
  }
  cid2d_trackingParams params;
  cid2d_trackingParams_init(&params);
  EXPECT_TRUE(cid2d_ratioFitsShape(500, cid2d_shapeAny, params));
  EXPECT_TRUE(cid2d_ratioFitsShape(75, cid2d_shapeSquare, params));
  EXPECT_TRUE(cid2d_ratioFitsShape(133, cid2d_shapeSquare, params));
  EXPECT_FALSE(cid2d_ratioFitsShape(134, cid2d_shapeSquare, params));
  EXPECT_FALSE(cid2d_ratioFitsShape(100, cid2d_shapeRectangular, params));
  EXPECT_FALSE(cid2d_ratioFitsShape(266, cid2d_shapeRectangular, params));  // windows are open
  EXPECT_TRUE(cid2d_ratioFitsShape(265, cid2d_shapeRectangular, params));
  EXPECT_TRUE(cid2d_ratioFitsShape(267, cid2d_shapeRectangular, params));
  params.relaxedFit = 1;
  EXPECT_TRUE(cid2d_ratioFitsShape(160, cid2d_shapeSquare, params));
  params.extraRelaxedFit = 1;
  EXPECT_FALSE(cid2d_ratioFitsShape(161, cid2d_shapeSquare, params));  // extra: any shape only
}

// A scene with one symbol and the seed on the L's outer left edge.
struct symbolScene {
  greyScene scene{200, 200, 200};
  renderedSymbol symbol;
  symbolScene() {
    symbol = paintDataMatrix(scene, 12, 12, 6.0, 0.0, cmath_vect{100, 100}, 40, 9);
    scene.gaussianBlur(0.6);
  }
};

cid2d_trackingSeed seedOnRow(const cimg_imageConst* image, int32_t row) {
  cid2d_trackingSeed seeds[64];
  int32_t count = 0;
  cid2d_getHorizontalTrackingSeeds(image, &row, 1, 64, 45, 0, seeds, &count, 0, 0);
  EXPECT_GT(count, 0);
  return seeds[0];
}

TEST(DataMatrixFinder, SeedRejections) {
  symbolScene s;
  testImage image(s.scene);
  const cid2d_trackingSeed seed = seedOnRow(image.constImage(), 100);
  {
    finderSetup setup(image.constImage());
    ASSERT_EQ(setup.find(seed), 0);
    EXPECT_TRUE(setup.result.found);
    // The same seed again: its block is visited now.
    setup.result.boundary.numPoints = 0;
    ASSERT_EQ(setup.find(seed), 0);
    EXPECT_FALSE(setup.result.found);
    EXPECT_EQ(setup.result.boundary.numPoints, 0);  // the tracker was not called
  }
  {
    finderSetup setup(image.constImage());
    cid_region claimed;
    const cmath_vect corners[4] = {{50, 50}, {150, 50}, {50, 150}, {150, 150}};
    cid_region_initVectPoints(&claimed, corners, 0);
    ASSERT_EQ(cid_mask_appendRegion(&setup.mask, &claimed, 0.0), 0);
    ASSERT_EQ(setup.find(seed), 0);
    EXPECT_FALSE(setup.result.found);
    EXPECT_EQ(setup.result.seed.x, seed.x);
  }
  {
    // The region test: a claimed square around the symbol's centre, away from the seed.
    finderSetup setup(image.constImage());
    cid_region claimed;
    const cmath_vect corners[4] = {{95, 95}, {105, 95}, {95, 105}, {105, 105}};
    cid_region_initVectPoints(&claimed, corners, 0);
    ASSERT_EQ(cid_mask_appendRegion(&setup.mask, &claimed, 0.0), 0);
    ASSERT_EQ(setup.find(seed), 0);
    EXPECT_FALSE(setup.result.found);
    EXPECT_GT(setup.result.boundary.numPoints, 0);  // tracked, then refused
  }
  {
    finderSetup setup(image.constImage());
    setup.params.minSize = 80;  // needs 320 contour points
    ASSERT_EQ(setup.find(seed), 0);
    EXPECT_FALSE(setup.result.found);
  }
  {
    finderSetup setup(image.constImage());
    setup.params.maxSize = 50;
    ASSERT_EQ(setup.find(seed), 0);
    EXPECT_FALSE(setup.result.found);
  }
}

// A dark w x h box centred at (cx, cy) in a scene of the given size, and the finder's
// answer for the seed on the box's right side.
bool boxIsFound(int32_t width, int32_t height, double cx, double cy, double w, double h,
                bool allowBorderTouch) {
  greyScene scene(width, height, 200);
  scene.paint([&](double x, double y) { return std::abs(x - cx) < w / 2 && std::abs(y - cy) < h / 2; }, 40);
  scene.gaussianBlur(0.6);
  testImage image(scene);
  int32_t row = int32_t(cy);
  cid2d_trackingSeed seeds[16];
  int32_t count = 0;
  cid2d_getHorizontalTrackingSeeds(image.constImage(), &row, 1, 16, 45, 0, seeds, &count, 0, 0);
  EXPECT_GT(count, 0);
  finderSetup setup(image.constImage());
  setup.params.allowBorderTouch = allowBorderTouch;
  EXPECT_EQ(setup.find(seeds[count - 1]), 0);
  return setup.result.found;
}

TEST(DataMatrixFinder, RelaxedFitMeasuresTheOppositeCorner) {
  // A slightly skewed quadrilateral: its fourth corner is not where a parallelogram puts it.
  const cmath_vect corners[4] = {{60, 150}, {150, 140}, {145, 52}, {58, 60}};
  greyScene scene(200, 200, 200);
  scene.paint([&](double x, double y) {
    for (int32_t i = 0; i < 4; ++i) {
      const cmath_vect& a = corners[i];
      const cmath_vect& b = corners[(i + 1) % 4];
      if ((b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x) > 0) return false;
    }
    return true;
  }, 40);
  scene.gaussianBlur(0.6);
  testImage image(scene);
  for (int32_t relaxed : {0, 1}) {
    finderSetup setup(image.constImage());
    setup.params.relaxedFit = relaxed;
    ASSERT_EQ(setup.search(4, 90, 110), 0);
    ASSERT_TRUE(setup.result.found);
    EXPECT_EQ(setup.result.fourthCornerInferred, relaxed ? 0 : 1);
    int32_t near = 0;
    for (const cmath_vect& c : corners) near += isNear(setup.result.fourthCorner, c, 1.5);
    EXPECT_EQ(near, relaxed);  // only the measured corner is a real one
  }
}

TEST(DataMatrixFinder, ContourRejections) {
  EXPECT_TRUE(boxIsFound(200, 200, 100, 100, 60, 60, false));   // a plain square is an L
  EXPECT_FALSE(boxIsFound(200, 200, 20, 100, 60, 60, false));   // cut by the border: open
  EXPECT_TRUE(boxIsFound(200, 200, 20, 100, 60, 60, true));     // unless border touch is allowed
  EXPECT_FALSE(boxIsFound(200, 200, 100, 100, 120, 20, false));  // 1:6, beyond the aspect limit
  EXPECT_FALSE(boxIsFound(200, 200, 100, 100, 12, 12, false));   // too few points
  EXPECT_FALSE(boxIsFound(200, 62, 100, 31, 60, 61.5, true));    // as high as the window
}

TEST(DataMatrixFinder, FailureExitsReleaseEverything) {
  symbolScene s;
  testImage image(s.scene);
  const cid2d_trackingSeed seed = seedOnRow(image.constImage(), 100);
  finderSetup setup(image.constImage());
  int32_t found = 0;
  auto attempt = [&] {
    setup.clearVisits();
    cbt_result_construct(&setup.result.boundary, 0);
    const int32_t status = setup.find(seed);
    found = setup.result.found;
    cbt_result_destruct(&setup.result.boundary);  // the contour belongs to the result
    return status;
  };
  cbt_result_destruct(&setup.result.boundary);
  EXPECT_GE(driveAllocationFailures(attempt), 2);
  EXPECT_GE(driveAttentionFailures(attempt), 2);
  EXPECT_TRUE(found);
  cbt_result_construct(&setup.result.boundary, 0);
  EXPECT_CHECK_FAILS(cf_BndFindDMSymbolFromSeed(image.constImage(), &setup.params, &seed,
                                                &setup.run, nullptr, nullptr, 0, nullptr,
                                                &setup.result));
  setup.params.scratchBytes = CID2D_SCRATCH_BYTES - 1;
  EXPECT_CHECK_FAILS(setup.find(seed));
}

}  // namespace
