// Linear barcodes: the bar direction measured on rendered symbols, the likeness test of a
// candidate region, and the single-column seed scanner they rely on.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "ci_id/priv/ci_idut/geometry.h"
#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/locate2d/row_edges.h"
#include "support/datamatrix.h"
#include "support/hooks.h"
#include "support/symbols.h"
#include "support/synthetic.h"

namespace {

constexpr double pi = std::numbers::pi;
constexpr double degree = pi / 180;

// The modules of a linear symbol; without zint, bars and spaces of 1 to 4 modules.
moduleGrid barModules(zintSymbology symbology) {
  moduleGrid grid;
  const std::string text = symbology == zintCode128 ? "Barcode128" : "590123412345";
  if (zintModules(symbology, text, &grid)) return grid;
  std::mt19937 random(symbology);
  grid.rows = 1;
  for (bool dark = true; grid.dark.size() < 120; dark = !dark)
    grid.dark.insert(grid.dark.end(), 1 + random() % 4, dark);
  grid.dark.push_back(1);
  grid.columns = int32_t(grid.dark.size());
  return grid;
}

// Angle between two undirected directions, radians in [0, pi / 2].
double lineAngle(double a, double b) {
  const double d = std::fmod(std::abs(a - b), pi);
  return std::min(d, pi - d);
}

// A 320 x 320 scene of bars 150 pixels long turned by `turn` (clockwise on screen: the bars
// run along (-sin turn, cos turn)) around `centre`, blurred and noisy.
greyScene barScene(const moduleGrid& bars, double turn, cmath_vect centre, double module = 2.5) {
  greyScene scene(320, 320, 215);
  cmath_vect corners[4];
  turnedRectangle(centre, bars.columns * module, 150, turn, corners);
  paintModules(scene, bars, corners, 45);
  scene.gaussianBlur(0.7);
  scene.addNoise(3.0, uint32_t(turn * 1000));
  return scene;
}

// A rectangular region w x h centred on centre with its y axis along (-sin turn, cos turn).
cid_region turnedRegion(cmath_vect centre, double w, double h, double turn) {
  cmath_vect corners[4];
  turnedRectangle(centre, w, h, turn, corners);
  cid_region region;
  const cmath_vect points[4] = {corners[0], corners[1], corners[3], corners[2]};
  cid_region_initVectPoints(&region, points, 0);
  return region;
}

TEST(Barcode, FindsTheBarDirectionOfRenderedSymbols) {
  for (zintSymbology symbology : {zintCode128, zintEan13, zintInterleaved2of5}) {
    const moduleGrid bars = barModules(symbology);
    for (int32_t turn : {0, 15, 30, 60, 120, 165}) {
      testImage image(barScene(bars, turn * degree, {160.4, 150.3}));
      cmath_shapeAffineRect rect;
      int32_t found = 0;
      ASSERT_EQ(cid2d_findOneBarcode(image.constImage(), &rect, &found), 0);
      ASSERT_EQ(found, 1) << symbology << " " << turn;
      cmath_shapeAffineRectCenter c;
      cmath_shapeAffineRect_getCenter(&rect, &c);
      // The x side runs across the bars and spans the image; the centre lies on the bars.
      EXPECT_LT(lineAngle(c.xRotation, turn * degree), 2 * degree) << symbology << " " << turn;
      EXPECT_NEAR(c.xLength, 320, 1e-9);
      EXPECT_NEAR(c.yLength, 100, 1e-9);
      const double along = -(c.center.x - 160.4) * std::sin(turn * degree) +
                           (c.center.y - 150.3) * std::cos(turn * degree);
      EXPECT_LT(std::abs(along), 75) << symbology << " " << turn;
    }
  }
}

}  // namespace
