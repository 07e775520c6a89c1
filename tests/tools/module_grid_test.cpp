// The module grid measured on a found symbol's clock tracks: module counts and pitch of
// rendered symbols of known sizes, square, rectangular and in perspective; no grid on
// clutter; the snapping of measured counts to DataMatrix sizes.
#include "module_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "locate_all.h"
#include "support/datamatrix.h"
#include "support/synthetic.h"

namespace {

idut_symbol onlySymbol(testImage& image) {
  std::vector<idut_symbol> found;
  EXPECT_EQ(idut_locateAll(image.image(), {}, &found), 0);
  EXPECT_EQ(found.size(), 1u);
  return found.empty() ? idut_symbol{} : found[0];
}

struct sizeCase {
  int32_t rows, columns;
  double module, angle;
};

TEST(ModuleGrid, CountsAndPitchOfRenderedSymbols) {
  const sizeCase cases[] = {{10, 10, 6.0, 0.2},  {14, 14, 4.0, -0.5}, {24, 24, 3.0, 1.1},
                            {32, 32, 3.5, 0.0},  {12, 26, 4.0, 0.3},  {8, 32, 5.0, -1.3},
                            {16, 48, 2.5, 0.05}, {44, 44, 2.2, 0.7}};
  for (const sizeCase& c : cases) {
    const double extent = std::max(c.rows, c.columns) * c.module * 1.5 + 60;
    const int32_t side = static_cast<int32_t>(extent);
    greyScene scene(side, side, 210);
    paintDataMatrix(scene, c.rows, c.columns, c.module, c.angle, {extent / 2, extent / 2}, 40, 11);
    scene.gaussianBlur(0.7);
    testImage image(scene);
    const idut_symbol s = onlySymbol(image);
    EXPECT_EQ(s.rows, c.rows) << c.rows << "x" << c.columns;
    EXPECT_EQ(s.cols, c.columns) << c.rows << "x" << c.columns;
    EXPECT_NEAR(s.pitch, c.module, 0.03 * c.module) << c.rows << "x" << c.columns;
  }
}

// Under perspective the tracks are measured with the mapping from the parallelogram on
// the L to the measured quadrilateral; the pitch is the parallelogram's.
TEST(ModuleGrid, CountsUnderPerspective) {
  const cmath_vect corners[2][4] = {{{92, 70}, {268, 96}, {250, 246}, {84, 226}},
                                    {{70, 60}, {250, 70}, {262, 236}, {60, 250}}};
  for (int32_t i = 0; i < 2; ++i) {
    greyScene scene(340, 300, 210);
    paintDataMatrixInPerspective(scene, 20, 20, corners[i], 35, 7 + i);
    scene.gaussianBlur(0.7);
    testImage image(scene);
    const idut_symbol s = onlySymbol(image);
    EXPECT_EQ(s.fourthCornerInferred, 0) << i;
    EXPECT_EQ(s.rows, 20) << i;
    EXPECT_EQ(s.cols, 20) << i;
    // The L's legs over 20 modules.
    const double legs =
        (std::hypot(s.corners[1].x - s.corners[0].x, s.corners[1].y - s.corners[0].y) +
         std::hypot(s.corners[3].x - s.corners[0].x, s.corners[3].y - s.corners[0].y)) /
        40;
    EXPECT_NEAR(s.pitch, legs, 0.05 * legs) << i;
  }
}

// Thin modules under strong blur: the clock tracks lose runs of edges, the profile keeps
// its alternation.
TEST(ModuleGrid, CountsOfBlurredThinTracks) {
  const sizeCase cases[] = {{26, 26, 2.6, 0.4}, {36, 36, 3.0, -0.2}, {16, 48, 3.0, 0.1}};
  for (const sizeCase& c : cases) {
    const double extent = std::max(c.rows, c.columns) * c.module * 1.5 + 60;
    const int32_t side = static_cast<int32_t>(extent);
    greyScene scene(side, side, 200);
    paintDataMatrix(scene, c.rows, c.columns, c.module, c.angle, {extent / 2, extent / 2}, 70, 5);
    scene.gaussianBlur(1.2);
    testImage image(scene);
    const idut_symbol s = onlySymbol(image);
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
  idut_symbol strokes{{{60, 238}, {250, 238}, {250, 40}, {60, 40}}, 900, 120, 1};
  EXPECT_FALSE(idut_measureModuleGrid(image.image(), &strokes));
  EXPECT_EQ(strokes.rows, 0);
  idut_clockTrack columns, rows;
  for (const double depth : {1.0, 3.0, 6.0})
    EXPECT_FALSE(idut_measureClockTracks(image.image(), strokes, depth, &columns, &rows)) << depth;
}

TEST(ModuleGrid, SnapsToDataMatrixSizesWithinTolerance) {
  int32_t r = 0, c = 0;
  idut_snapModuleCounts(23.2, 24.9, &r, &c);  // within 1.2 modules of 24
  EXPECT_EQ(r, 24);
  EXPECT_EQ(c, 24);
  idut_snapModuleCounts(12.4, 25.3, &r, &c);
  EXPECT_EQ(r, 12);
  EXPECT_EQ(c, 26);
  idut_snapModuleCounts(100.5, 107.0, &r, &c);  // 4 % of 104 is 4.16 modules
  EXPECT_EQ(r, 104);
  EXPECT_EQ(c, 104);
  idut_snapModuleCounts(29.0, 28.6, &r, &c);  // 26 and 32 both too far: as measured
  EXPECT_EQ(r, 29);
  EXPECT_EQ(c, 29);
  idut_snapModuleCounts(20.0, 8.0, &r, &c);  // no 20 x 8 rectangle
  EXPECT_EQ(r, 20);
  EXPECT_EQ(c, 8);
}

}  // namespace
