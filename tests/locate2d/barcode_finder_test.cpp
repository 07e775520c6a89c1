// Linear barcodes: bar direction, candidate likeness, the quorum of bars, the column seeds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/locate2d/row_edges.h"
#include "support/hooks.h"
#include "support/symbols.h"

namespace {

constexpr double degree = std::numbers::pi / 180;
const cmath_vect centre{160.4, 150.3};

// zint's modules, or else random bars and spaces of 1 to 4 modules.
moduleGrid barModules(zintSymbology symbology) {
  moduleGrid grid{1, 0, {}};
  if (zintModules(symbology, symbology == zintCode128 ? "Barcode128" : "590123412345", &grid))
    return grid;
  std::mt19937 random(symbology);
  for (bool dark = true; grid.dark.size() < 120; dark = !dark)
    grid.dark.insert(grid.dark.end(), 1 + random() % 4, dark);
  grid.dark.push_back(1);
  grid.columns = int32_t(grid.dark.size());
  return grid;
}

bool along(double a, double b) {
  return std::abs(std::remainder(a - b, std::numbers::pi)) < 2 * degree;
}

cid_region turnedRegion(double w, double h, double turn, cmath_vect at = centre) {
  cmath_vect c[4];
  turnedRectangle(at, w, h, turn, c);
  cid_region region;
  const cmath_vect corners[4] = {c[0], c[1], c[3], c[2]};
  cid_region_initVectPoints(&region, corners, 0);
  return region;
}
bool sameCorners(const cid_region& a, const cid_region& b) {
  return std::memcmp(&a, &b, offsetof(cid_region, tightness)) == 0;
}

TEST(Barcode, MeasuresTheBarsOfRenderedSymbols) {
  for (zintSymbology symbology : {zintCode128, zintEan13, zintInterleaved2of5}) {
    const moduleGrid bars = barModules(symbology);
    for (int32_t turn : {0, 30, 90, 165}) {  // bars along (-sin turn, cos turn)
      greyScene scene(320, 320, 215);
      cmath_vect corners[4];
      turnedRectangle(centre, bars.columns * 2.5, 150, turn * degree, corners);
      paintModules(scene, bars, corners, 45);
      scene.gaussianBlur(0.7);
      scene.addNoise(3.0, turn);
      testImage image(scene);
      cmath_shapeAffineRect rect;
      cmath_shapeAffineRectCenter c;
      int32_t found = 0;
      ASSERT_EQ(cid2d_findOneBarcode(image.constImage(), &rect, &found), 0);
      ASSERT_EQ(found, turn != 90) << symbology << " " << turn;  // rows miss horizontal bars
      if (found && cmath_shapeAffineRect_getCenter(&rect, &c) == 0) {
        EXPECT_TRUE(along(c.xRotation, turn * degree)) << symbology << " " << turn;
        EXPECT_LT(std::abs(c.xLength - 320) + std::abs(c.yLength - 100), 1e-9);
        EXPECT_LT(std::abs(std::cos(turn * degree) * (c.center.y - centre.y) -
                           std::sin(turn * degree) * (c.center.x - centre.x)),
                  75);
      }
      // Bar-like within 18 degrees of the region's y axis, then turned onto the bars.
      for (int32_t off : {15, -20}) {
        const cid_region region = turnedRegion(bars.columns * 2.5, 150, (turn + off) * degree);
        cid_region aligned;
        cidut_lineSeg y;
        int32_t isLike = -1;
        ASSERT_EQ(cid2d_getIsCandidateBarcodeLike(image.constImage(), &region, &isLike, &aligned),
                  0);
        ASSERT_EQ(isLike, std::abs(off) == 15) << symbology << " " << turn << " " << off;
        cid_region_getYCenterSegment(&aligned, &y);
        EXPECT_TRUE(isLike
                        ? along(std::atan2(y.p2.y - y.p1.y, y.p2.x - y.p1.x), (90 + turn) * degree)
                        : sameCorners(aligned, region));
        EXPECT_NEAR((y.p1.x + y.p2.x) / 2, centre.x, 1e-9);
        EXPECT_NEAR((y.p1.y + y.p2.y) / 2, centre.y, 1e-9);
      }
    }
  }
}

// Dark bars 6 pixels wide at the given columns, 3 x 3 dots on the scanned row (135).
testImage barsAndDots(std::initializer_list<double> columns, int32_t dots, double line = 0) {
  greyScene scene(320, 320, 215);
  auto paint = [&](double x0, double x1, double y0, double y1, double grey) {
    scene.paint([&](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; }, grey);
  };
  for (double left : columns) paint(left, left + 6, 60, 260, 45);
  for (int32_t i = 0; i < dots; ++i) paint(166 + 10 * i, 169 + 10 * i, 134, 137, 45);
  if (line) paint(line, line + 1, 0, 320, 100);
  return testImage(scene);
}

int32_t findsBars(const testImage& image) {
  cmath_shapeAffineRect rect;
  int32_t found = -1;
  EXPECT_EQ(cid2d_findOneBarcode(image.constImage(), &rect, &found), 0);
  return found;
}

TEST(Barcode, MostTriedBarsMustGiveASlope) {
  EXPECT_EQ(findsBars(barsAndDots({}, 0)), -1);  // uniform: found untouched
  EXPECT_EQ(findsBars(barsAndDots({130, 150, 190}, 0)), 1);
  EXPECT_EQ(findsBars(barsAndDots({130, 150}, 0)), -1);       // fewer than three slopes
  EXPECT_EQ(findsBars(barsAndDots({130, 150}, 1)), -1);       // 2 of 3 tries
  EXPECT_EQ(findsBars(barsAndDots({130, 150, 190}, 1)), 1);   // 3 of 4
  EXPECT_EQ(findsBars(barsAndDots({130, 150, 190}, 2)), -1);  // 3 of 5 is not above 2 x 5 / 3
  // A thin line's seed, whose contour cannot be started, ends the search.
  EXPECT_EQ(findsBars(barsAndDots({130, 150, 190}, 0, 118)), -1);
}

TEST(Barcode, FailuresLeaveTheOutputsAsTheyWere) {
  testImage image = barsAndDots({130, 150, 190}, 0), small(60, 60, 200);
  const cmath_xformLinear shifted{{1, 0, 0, 1}, {1000, 0}};
  cimg_image_setLinearClientFromImageXform(image.image(), &shifted);
  const cid_region region = turnedRegion(70, 200, 0, {1160, 160});
  cmath_shapeAffineRect rect;
  cid_region aligned;
  int32_t found, isLike;
  auto both = [&](const testImage& in) {
    found = -1;
    rect.po = aligned.Po = cmath_vect{};
    const int32_t s1 = cid2d_findOneBarcode(in.constImage(), &rect, &found);
    const int32_t s2 = cid2d_getIsCandidateBarcodeLike(in.constImage(), &region, &isLike, &aligned);
    EXPECT_TRUE(s1 >= 0 || (found == -1 && rect.po.x == 0));
    EXPECT_TRUE(s2 >= 0 || (isLike == 0 && sameCorners(aligned, region)));
    return s1 < 0 ? s1 : s2;
  };
  EXPECT_EQ(driveAllocationFailures([&] { return both(image); }), 4);  // 2 each
  EXPECT_EQ(found + isLike, 2);
  EXPECT_EQ(both(small), CIMG_STATUS_BAD_SIZE);  // no room for the work windows
}

TEST(Barcode, ColumnSeedsPeakStrictlyAboveFourteen) {
  // Window column 3 ramps up at rows 9 to 11: |p(y + 3) - p(y)| peaks at row 8.
  testImage image(10, 20, 100);
  cimg_image_window(image.image(), 2, 3, 8, 17, 0);
  cid2d_trackingSeed seeds[2];
  auto seedsOf = [&](int32_t a, int32_t b, int32_t c) {
    for (int32_t y = 9; y < 17; ++y) image.at(3, y) = uint8_t(y == 9 ? a : y == 10 ? b : c);
    cimg_windowConst window;
    cimg_windowConst_init(&window, image.constImage());
    int32_t count = -1;
    EXPECT_EQ(cid2d_getColumnTrackingSeeds(window, 5, 2, 0, seeds, &count), 0);
    return count;
  };
  const cid2d_trackingSeed expected{3, 9, 90, 145, 5, 1, 3 * 256, 11 * 256, 3 * 256, 8 * 256};
  EXPECT_EQ(seedsOf(130, 160, 190), 1);
  EXPECT_EQ(std::memcmp(&seeds[0], &expected, sizeof expected), 0);
  EXPECT_EQ(seedsOf(105, 110, 115), 1);  // 15
  EXPECT_EQ(seedsOf(104, 109, 114), 0);  // 14
  EXPECT_EQ(seedsOf(190, 190, 190), 0);  // a step: three equal strengths, no strict peak
}

}  // namespace
