// The module grid on a found symbol's clock tracks: counts and pitch of rendered symbols
// of known sizes, blurred thin tracks, no grid on clutter, snapping to DataMatrix sizes.
#include "module_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "idread/locate.h"
#include "support/datamatrix.h"
#include "support/synthetic.h"

namespace {

idread_symbol onlySymbol(testImage& image) {
  std::vector<idread_symbol> found;
  EXPECT_EQ(idread_locateAll(image.image(), {}, &found), 0);
  EXPECT_EQ(found.size(), 1u);
  return found.empty() ? idread_symbol{} : found[0];
}

struct sizeCase {
  int32_t rows, columns;
  double module, angle;
};

// The one symbol found on a rendering of the case.
idread_symbol renderAndFind(const sizeCase& c, double ground, double ink, double blur,
                          uint32_t seed) {
  const double extent = std::max(c.rows, c.columns) * c.module * 1.5 + 60;
  const int32_t side = static_cast<int32_t>(extent);
  greyScene scene(side, side, ground);
  paintDataMatrix(scene, c.rows, c.columns, c.module, c.angle, {extent / 2, extent / 2}, ink, seed);
  scene.gaussianBlur(blur);
  testImage image(scene);
  return onlySymbol(image);
}

TEST(ModuleGrid, CountsAndPitchOfRenderedSymbols) {
  const sizeCase cases[] = {{10, 10, 6.0, 0.2}, {24, 24, 3.0, 1.1}, {8, 32, 5.0, -1.3},
                            {16, 48, 2.5, 0.05}, {44, 44, 2.2, 0.7}};
  for (const sizeCase& c : cases) {
    const idread_symbol s = renderAndFind(c, 210, 40, 0.7, 11);
    EXPECT_EQ(s.rows, c.rows) << c.rows << "x" << c.columns;
    EXPECT_EQ(s.cols, c.columns) << c.rows << "x" << c.columns;
    EXPECT_NEAR(s.pitch, c.module, 0.03 * c.module) << c.rows << "x" << c.columns;
  }
}

// A guess of the module size in the symbol (the clock-track check's) is tried first; a
// wrong one, half or twice the module, costs time, not the grid.
TEST(ModuleGrid, WrongGuessesOfTheModuleKeepTheGrid) {
  const sizeCase cases[] = {{26, 26, 2.6, 0.4}, {32, 32, 3.2, 0.9}};
  for (const sizeCase& c : cases) {
    const double extent = c.rows * c.module * 1.5 + 60;
    const int32_t side = static_cast<int32_t>(extent);
    greyScene scene(side, side, 200);
    paintDataMatrix(scene, c.rows, c.columns, c.module, c.angle, {extent / 2, extent / 2}, 70, 5);
    scene.gaussianBlur(1.2);
    testImage image(scene);
    const idread_symbol found = onlySymbol(image);
    for (const double guess : {0.5, 2.0}) {
      idread_symbol s = found;
      s.pitch = guess * c.module;
      ASSERT_EQ(idread_measureModuleGrid(image.image(), &s), 1) << c.rows << " guess " << guess;
      EXPECT_EQ(s.rows, c.rows) << c.rows << " guess " << guess;
      EXPECT_EQ(s.cols, c.columns) << c.rows << " guess " << guess;
    }
  }
}

// Thin modules under strong blur: the clock tracks lose runs of edges, the profile keeps
// its alternation.
TEST(ModuleGrid, CountsOfBlurredThinTracks) {
  const sizeCase cases[] = {{26, 26, 2.6, 0.4}, {16, 48, 3.0, 0.1}};
  for (const sizeCase& c : cases) {
    const idread_symbol s = renderAndFind(c, 200, 70, 1.2, 5);
    EXPECT_EQ(s.rows, c.rows) << c.rows << "x" << c.columns;
    EXPECT_EQ(s.cols, c.columns) << c.rows << "x" << c.columns;
  }
}

// Two crossing strokes completed to a quadrilateral: bare ground where the clock tracks
// should be, at every depth.
TEST(ModuleGrid, NoGridOnCrossingStrokes) {
  greyScene scene(300, 300, 200);
  scene.paint(
      [](double x, double y) {
        return (x > 60 && x < 68 && y > 40 && y < 250) || (y > 230 && y < 238 && x > 40 && x < 250);
      },
      40);
  scene.gaussianBlur(0.7);
  testImage image(scene);
  idread_symbol strokes{{{60, 238}, {250, 238}, {250, 40}, {60, 40}}, 900, 120, 1};
  EXPECT_EQ(idread_measureModuleGrid(image.image(), &strokes), 0);
  EXPECT_EQ(strokes.rows, 0);
  idread_clockTrack columns, rows;
  for (const double depth : {1.0, 3.0, 6.0})
    EXPECT_EQ(idread_measureClockTracks(image.image(), strokes, depth, &columns, &rows), 0) << depth;
}

TEST(ModuleGrid, SnapsToDataMatrixSizesWithinTolerance) {
  int32_t r = 0, c = 0;
  idread_snapModuleCounts(23.2, 24.9, &r, &c);  // within 1.2 modules of 24
  EXPECT_EQ(r, 24);
  EXPECT_EQ(c, 24);
  idread_snapModuleCounts(100.5, 107.0, &r, &c);  // 4 % of 104 is 4.16 modules
  EXPECT_EQ(r, 104);
  EXPECT_EQ(c, 104);
  idread_snapModuleCounts(29.0, 28.6, &r, &c);  // 26 and 32 both too far: as measured
  EXPECT_EQ(r, 29);
  EXPECT_EQ(c, 29);
  idread_snapModuleCounts(20.0, 8.0, &r, &c);  // no 20 x 8 rectangle
  EXPECT_EQ(r, 20);
  EXPECT_EQ(c, 8);
}

}  // namespace
