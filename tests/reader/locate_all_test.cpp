// The find-all loop behind `idut locate`: every symbol once, corners in perimeter order,
// label outlines and the other polarity left out, perspective.
#include "idread/locate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/datamatrix.h"
#include "support/synthetic.h"

namespace {

// Whether the found quadrilateral is the rendered symbol: the L's corner (the printed
// bottom-left), its opposite corner and, in either order, the ends of the legs.
bool isSymbol(const idread_symbol& found, const renderedSymbol& truth, double tolerance) {
  const cmath_vect* c = found.corners;
  const cmath_vect* t = truth.corners;  // top-left, top-right, bottom-right, bottom-left
  return isNear(c[0], t[3], tolerance) && isNear(c[2], t[1], tolerance) &&
         ((isNear(c[1], t[0], tolerance) && isNear(c[3], t[2], tolerance)) ||
          (isNear(c[1], t[2], tolerance) && isNear(c[3], t[0], tolerance)));
}

std::vector<idread_symbol> locate(testImage& image, const idread_locateOptions& options = {}) {
  std::vector<idread_symbol> symbols;
  EXPECT_EQ(idread_locateAll(image.image(), options, &symbols), 0);
  return symbols;
}

TEST(LocateAll, FindsEverySymbolOnceInPerimeterOrder) {
  greyScene scene(420, 300, 215);
  const renderedSymbol a = paintDataMatrix(scene, 14, 14, 5.0, 0.3, {110, 150}, 35, 1);
  const renderedSymbol b = paintDataMatrix(scene, 12, 26, 4.0, -2.0, {300, 160}, 35, 2);
  scene.gaussianBlur(0.7);
  testImage image(scene);
  const std::vector<idread_symbol> found = locate(image);
  ASSERT_EQ(found.size(), 2u);
  const bool aFirst = isSymbol(found[0], a, 1.5);
  EXPECT_TRUE(aFirst || isSymbol(found[0], b, 1.5));
  EXPECT_TRUE(isSymbol(found[1], aFirst ? b : a, 1.5));
  for (const idread_symbol& s : found) {
    EXPECT_GE(s.score, 600);
    EXPECT_GT(s.threshold, 35);
    EXPECT_LT(s.threshold, 215);
  }
}

// A dark symbol on a light label on a grey ground: the label's outline is a clean
// quadrilateral too, but only the symbol is reported.
TEST(LocateAll, LeavesLabelOutlinesOut) {
  for (const double ground : {150.0, 250.0}) {
    greyScene scene(320, 260, ground);
    scene.paint([](double x, double y) { return x > 60 && x < 260 && y > 40 && y < 220; }, 200);
    const renderedSymbol symbol = paintDataMatrix(scene, 16, 16, 6.0, 0.0, {160, 130}, 30, 3);
    scene.gaussianBlur(0.6);
    testImage image(scene);
    const std::vector<idread_symbol> found = locate(image);
    ASSERT_EQ(found.size(), 1u) << "ground " << ground;
    EXPECT_TRUE(isSymbol(found[0], symbol, 1.5)) << "ground " << ground;
  }
}

TEST(LocateAll, PolarityAndPasses) {
  greyScene scene(300, 240, 30);
  const renderedSymbol symbol = paintDataMatrix(scene, 16, 16, 6.0, 0.5, {150, 120}, 220, 4);
  scene.gaussianBlur(0.6);
  testImage image(scene);
  EXPECT_TRUE(locate(image).empty());  // dark on light by default

  idread_locateOptions options;
  options.polarity = idread_polarityLightOnDark;
  std::vector<idread_symbol> found = locate(image, options);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_TRUE(isSymbol(found[0], symbol, 1.5));

  // The adaptive pass reports the L in whole pixels, without a score.
  options.passes = {idread_passAdaptive};
  found = locate(image, options);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_TRUE(isSymbol(found[0], symbol, 4.5));
  EXPECT_EQ(found[0].score, 0);
  EXPECT_EQ(found[0].fourthCornerInferred, 1);
}

// Under perspective the opposite corner is measured, not completed as a parallelogram,
// and the grid is counted through the mapping; the pitch is the L's legs over 20 modules.
TEST(LocateAll, MeasuresTheFarSidesAndGridUnderPerspective) {
  const cmath_vect corners[2][4] = {{{92, 70}, {268, 96}, {250, 246}, {84, 226}},
                                    {{70, 60}, {250, 70}, {262, 236}, {60, 250}}};
  for (int32_t i = 0; i < 2; ++i) {
    greyScene scene(340, 300, 210);
    const renderedSymbol symbol = paintDataMatrixInPerspective(scene, 20, 20, corners[i], 35, 7 + i);
    scene.gaussianBlur(0.7);
    testImage image(scene);
    const std::vector<idread_symbol> found = locate(image);
    ASSERT_EQ(found.size(), 1u) << i;
    const idread_symbol& s = found[0];
    EXPECT_TRUE(isSymbol(s, symbol, 1.5)) << i;
    EXPECT_EQ(s.fourthCornerInferred, 0) << i;
    EXPECT_EQ(s.rows, 20) << i;
    EXPECT_EQ(s.cols, 20) << i;
    const double legs =
        (std::hypot(s.corners[1].x - s.corners[0].x, s.corners[1].y - s.corners[0].y) +
         std::hypot(s.corners[3].x - s.corners[0].x, s.corners[3].y - s.corners[0].y)) /
        40;
    EXPECT_NEAR(s.pitch, legs, 0.05 * legs) << i;
  }
}

}  // namespace
