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
  for (zintSymbology symbology : {zintCode128, zintInterleaved2of5}) {
    const moduleGrid bars = barModules(symbology);
    for (int32_t turn : {30, 90}) {  // bars along (-sin turn, cos turn)
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

TEST(Barcode, NoRoomForTheWorkWindows) {
  const testImage small(60, 60, 200);
  const cid_region region = turnedRegion(40, 50, 0, {30, 30});
  cmath_shapeAffineRect rect;
  cid_region aligned;
  int32_t found = -1, isLike = -1;
  EXPECT_EQ(cid2d_findOneBarcode(small.constImage(), &rect, &found), CIMG_STATUS_BAD_SIZE);
  EXPECT_EQ(cid2d_getIsCandidateBarcodeLike(small.constImage(), &region, &isLike, &aligned),
            CIMG_STATUS_BAD_SIZE);
}

}  // namespace
