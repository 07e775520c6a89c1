// Sampling a located symbol's modules: the rendered matrix comes back module for module in
// either polarity and under perspective, corners placed off by a fraction of a module are
// fitted back onto the finder, and grids reaching past the image sample only what is in it.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "idread/read.h"
#include "kit/xform.h"
#include "module_sampling.h"
#include "support/datamatrix.h"
#include "support/symbols.h"

namespace {

// The symbol as the reader takes it: the L's corner (the grid's bottom-left as painted),
// the end of its x side (bottom-right), the opposite corner, the end of its y side.
idread_symbol located(const cmath_vect painted[4], int32_t rows, int32_t columns) {
  idread_symbol symbol{{painted[3], painted[2], painted[1], painted[0]}, 0, 0, 0};
  symbol.rows = rows;
  symbol.cols = columns;
  return symbol;
}

TEST(ModuleSampling, RenderedMatrixComesBackInBothPolaritiesAndPerspective) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  moduleGrid grid;
  ASSERT_TRUE(zintModules(zintDataMatrix, "SAMPLED", &grid, "--vers=5"));  // 18 x 18
  const cmath_vect corners[4] = {{60, 40}, {190, 55}, {180, 170}, {50, 160}};
  for (const bool inverted : {false, true}) {
    greyScene scene(240, 210, inverted ? 30 : 220);
    paintModules(scene, grid, corners, inverted ? 210 : 40);
    scene.light([](double x, double) { return 0.75 + x / 960; });
    scene.gaussianBlur(0.8);
    testImage image(scene);
    std::vector<uint8_t> modules;
    ASSERT_EQ(idread_sampleModules(image.image(), located(corners, grid.rows, grid.columns),
                                   grid.rows, grid.columns, &modules),
              0);
    int32_t wrong = 0;
    for (int32_t r = 0; r < grid.rows; ++r)
      for (int32_t c = 0; c < grid.columns; ++c)
        wrong += (modules[size_t(r) * grid.columns + c] & IDREAD_MODULE_DARK) != grid.at(r, c);
    EXPECT_EQ(wrong, 0) << "inverted " << inverted;
  }
}

TEST(ModuleSampling, CornersOffByAFractionOfAModuleAreFittedBack) {
  greyScene scene(220, 220, 215);
  const renderedSymbol truth = paintDataMatrix(scene, 20, 20, 6.0, 0.3, {110, 110}, 35, 9);
  scene.gaussianBlur(1.0);
  testImage image(scene);
  idread_symbol off = located(truth.corners, 20, 20);
  const cmath_vect moves[4] = {{2.5, -1.5}, {-2.0, 2.0}, {1.5, 2.5}, {-2.5, -1.0}};  // < 0.5 module
  for (int32_t k = 0; k < 4; ++k) off.corners[k] = {off.corners[k].x + moves[k].x, off.corners[k].y + moves[k].y};
  idread_symbol fitted;
  ASSERT_TRUE(idread_fitCornersToFinder(image.image(), off, 20, 20, &fitted));
  const idread_symbol exact = located(truth.corners, 20, 20);
  for (int32_t k = 0; k < 4; ++k)
    EXPECT_TRUE(isNear(fitted.corners[k], exact.corners[k], 1.6)) << "corner " << k;
}

// Grids laid anywhere over and around small images: a module is either off the image (-1)
// or sampled from pixels inside it, so on a flat image it comes back as the image's grey,
// exactly; a grid well inside the image has every module. (Under the sanitizers a read
// past the pixels fails the test too.)
TEST(ModuleSampling, GridsReachingPastTheImageSampleOnlyWhatIsInside) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (const auto& [width, height] : {std::pair{2, 2}, std::pair{7, 5}, std::pair{40, 30}}) {
    testImage image(width, height, 77);
    int32_t inside = 0, off = 0;
    for (int32_t trial = 0; trial < 400; ++trial) {
      idread_symbol symbol{};
      for (cmath_vect& corner : symbol.corners)
        corner = {-12 + (width + 24) * unit(random), -12 + (height + 24) * unit(random)};
      const int32_t rows = 2 + int32_t(unit(random) * 20), columns = 2 + int32_t(unit(random) * 20);
      std::vector<double> greys;
      const int32_t status = idread_sampleModuleGreys(image.image(), symbol, rows, columns, {}, &greys);
      if (status == CMATH_STATUS_DEGENERATE_POINTS) continue;
      ASSERT_EQ(status, 0);
      for (const double g : greys) {
        ASSERT_TRUE(g == -1 || g == 77) << g;
        (g == -1 ? off : inside)++;
      }
    }
    EXPECT_GT(off, 0);
    if (width > 2) {
      EXPECT_GT(inside, 0);
    }
  }
  // Modules of a pixel and a half, the grid two pixels in from every side of a 40 x 30 image.
  testImage image(40, 30, 77);
  const cmath_vect painted[4] = {{2, 2}, {38, 2}, {38, 28}, {2, 28}};
  std::vector<double> greys;
  ASSERT_EQ(idread_sampleModuleGreys(image.image(), located(painted, 16, 24), 16, 24, {}, &greys), 0);
  for (const double g : greys) EXPECT_EQ(g, 77);
}

}  // namespace
