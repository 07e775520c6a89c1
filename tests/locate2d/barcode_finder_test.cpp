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

// The same undirected line within two degrees.
void expectAlong(double angle, double expected, const std::string& what) {
  EXPECT_LT(lineAngle(angle, expected), 2 * degree) << what;
}

double yAxisAngle(const cid_region& region) {
  cidut_lineSeg axis;
  cid_region_getYCenterSegment(&region, &axis);
  return std::atan2(axis.p2.y - axis.p1.y, axis.p2.x - axis.p1.x);
}

bool sameRegion(const cid_region& a, const cid_region& b) {
  return a.Po.x == b.Po.x && a.Po.y == b.Po.y && a.Px.x == b.Px.x && a.Px.y == b.Px.y &&
         a.Py.x == b.Py.x && a.Py.y == b.Py.y && a.Popp.x == b.Popp.x && a.Popp.y == b.Popp.y;
}

TEST(Barcode, LikenessAcceptsBarsWithin18DegreesOfTheRegionsAxis) {
  const moduleGrid bars = barModules(zintCode128);
  const cmath_vect centre{160.4, 150.3};
  for (int32_t turn : {0, 90, 165}) {  // rows cross the bars at 0 and 165, columns at 90
    testImage image(barScene(bars, turn * degree, centre));
    for (int32_t off : {15, -15, 20, -20}) {
      const std::string what = std::to_string(turn) + " " + std::to_string(off);
      const cid_region region =
          turnedRegion(centre, bars.columns * 2.5, 150, (turn + off) * degree);
      cid_region aligned;
      int32_t isLike = -1;
      ASSERT_EQ(cid2d_getIsCandidateBarcodeLike(image.constImage(), &region, &isLike, &aligned), 0);
      ASSERT_EQ(isLike, std::abs(off) == 15) << what;
      if (!isLike) {
        EXPECT_TRUE(sameRegion(aligned, region)) << what;
        continue;
      }
      // Turned by -off about the centre onto the bars: centre and sides kept.
      expectAlong(yAxisAngle(aligned), pi / 2 + turn * degree, what);
      expectAlong(yAxisAngle(aligned) - yAxisAngle(region), -off * degree, what);
      cmath_vect c1, c2;
      cid_region_getCenter(&region, &c1);
      cid_region_getCenter(&aligned, &c2);
      EXPECT_NEAR(c1.x, c2.x, 1e-9);
      EXPECT_NEAR(c1.y, c2.y, 1e-9);
      double l1, l2;
      cid_region_getAvYLength(&region, &l1);
      cid_region_getAvYLength(&aligned, &l2);
      EXPECT_NEAR(l1, l2, 1e-9);
    }
  }
}

TEST(Barcode, NothingBarLikeWithoutBars) {
  // A DataMatrix turned by 45 degrees (its straight sides lie 45 degrees off the region's
  // axis), blurred noise, and a uniform image.
  greyScene symbol(320, 320, 210), clutter(320, 320, 128), uniform(320, 320, 90);
  paintDataMatrix(symbol, 16, 16, 6.0, 45 * degree, {160, 160}, 40, 3);
  symbol.gaussianBlur(0.7);
  clutter.addNoise(60, 5);
  clutter.gaussianBlur(1.0);
  for (const greyScene* scene : {&symbol, &clutter, &uniform}) {
    testImage image(*scene);
    const cmath_shapeAffineRect untouched{{1, 2}, {3, 4}, {5, 6}};
    cmath_shapeAffineRect rect = untouched;
    int32_t found = -1;
    ASSERT_EQ(cid2d_findOneBarcode(image.constImage(), &rect, &found), 0);
    if (scene != &symbol) {
      EXPECT_EQ(found, -1);
      EXPECT_EQ(rect.po.x, untouched.po.x);
    }
    const cid_region region = turnedRegion({160, 160}, 150, 150, 0);
    cid_region aligned;
    int32_t isLike = -1;
    ASSERT_EQ(cid2d_getIsCandidateBarcodeLike(image.constImage(), &region, &isLike, &aligned), 0);
    EXPECT_EQ(isLike, 0);
    EXPECT_TRUE(sameRegion(aligned, region));
  }
}

// Crisp dark bars 6 pixels wide from row 60 to 260 at the given columns of a 320 x 320
// scene; the finder scans row 135 from column 113 on.
greyScene crispBars(std::initializer_list<double> columns) {
  greyScene scene(320, 320, 215);
  for (double left : columns)
    scene.paint([&](double x, double y) { return x >= left && x < left + 6 && y >= 60 && y < 260; },
                45);
  return scene;
}

// Dots of 3 x 3 pixels on the scan row, at columns 166, 176, ...
void paintDots(greyScene& scene, int32_t count) {
  for (int32_t i = 0; i < count; ++i)
    scene.paint(
        [&](double x, double y) {
          return std::abs(x - 167.5 - 10 * i) < 1.5 && std::abs(y - 135.5) < 1.5;
        },
        45);
}

bool findsBars(const greyScene& scene) {
  testImage image(scene);
  cmath_shapeAffineRect rect;
  int32_t found = 0;
  EXPECT_EQ(cid2d_findOneBarcode(image.constImage(), &rect, &found), 0);
  return found;
}

TEST(Barcode, MostTriedBarsMustGiveASlope) {
  // Each bar's left edge and each dot's is a try; dots give no straight side.
  auto bars = [](std::initializer_list<double> columns, int32_t dots) {
    greyScene scene = crispBars(columns);
    paintDots(scene, dots);
    return scene;
  };
  EXPECT_TRUE(findsBars(bars({130, 150, 190}, 0)));
  EXPECT_FALSE(findsBars(bars({130, 150}, 0)));       // fewer than three slopes
  EXPECT_FALSE(findsBars(bars({130, 150}, 1)));       // 2 of 3 tries
  EXPECT_TRUE(findsBars(bars({130, 150, 190}, 1)));   // 3 of 4
  EXPECT_FALSE(findsBars(bars({130, 150, 190}, 2)));  // 3 of 5 is not above 2 x 5 / 3
  // A first seed whose contour cannot be started ends the search, although the bars after
  // it would do: a thin line on a flat background peaks with four equal pixels around it.
  greyScene lined = bars({130, 150, 190}, 0);
  lined.paint([](double x, double) { return x >= 118 && x < 119; }, 100);
  EXPECT_FALSE(findsBars(lined));
}

TEST(Barcode, FailuresLeaveTheOutputsAsTheyWere) {
  testImage image(crispBars({130, 150, 190})), small(60, 60, 200);
  const cid_region region = turnedRegion({160, 160}, 70, 200, 0);
  cmath_shapeAffineRect rect{};
  int32_t found = -1, isLike = -1;
  cid_region aligned;
  auto find = [&](const testImage& in) {
    found = -1;
    const int32_t status = cid2d_findOneBarcode(in.constImage(), &rect, &found);
    EXPECT_TRUE(status >= 0 || (found == -1 && rect.po.x == 0)) << status;
    return status;
  };
  auto test = [&](const testImage& in) {
    aligned = cid_region{};
    const int32_t status =
        cid2d_getIsCandidateBarcodeLike(in.constImage(), &region, &isLike, &aligned);
    EXPECT_TRUE(status >= 0 || (isLike == 0 && sameRegion(aligned, region))) << status;
    return status;
  };
  EXPECT_EQ(driveAllocationFailures([&] { return find(image); }), 2);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(driveAllocationFailures([&] { return test(image); }), 2);
  EXPECT_EQ(isLike, 1);
  rect = cmath_shapeAffineRect{};
  EXPECT_EQ(find(small), CIMG_STATUS_BAD_SIZE);  // no room for the work window
  EXPECT_EQ(test(small), CIMG_STATUS_BAD_SIZE);
}

TEST(Barcode, ColumnSeedsPeakStrictlyAboveFourteen) {
  // The scanned image column holds the profile of rows 0 to 16; the window starts at (2, 3).
  auto seedsOf = [](std::vector<uint8_t> profile, int32_t column = 5) {
    testImage image(10, 20, 100);
    for (size_t y = 0; y < profile.size(); ++y) image.at(column, int32_t(y)) = profile[y];
    EXPECT_EQ(cimg_image_window(image.image(), 2, 3, 8, 17, 0), 0);
    cimg_windowConst window;
    cimg_windowConst_init(&window, image.constImage());
    std::vector<cid2d_trackingSeed> seeds(4);
    int32_t count = -1;
    EXPECT_EQ(cid2d_getColumnTrackingSeeds(window, column, 4, 0, seeds.data(), &count), 0);
    seeds.resize(count);
    return seeds;
  };
  // Image rows 12 to 14 (window rows 9 to 11) ramp up from 100: |p(y + 3) - p(y)| peaks at
  // window row 8, reported one row on.
  auto ramp = [](uint8_t a, uint8_t b, uint8_t c) {
    std::vector<uint8_t> p(12, 100);
    p.insert(p.end(), {a, b, c, c, c});
    return p;
  };
  const auto seeds = seedsOf(ramp(130, 160, 190));
  ASSERT_EQ(seeds.size(), 1u);
  EXPECT_EQ(seeds[0].x, 3);
  EXPECT_EQ(seeds[0].y, 9);
  EXPECT_EQ(seeds[0].strength, 90);
  EXPECT_EQ(seeds[0].meanGrey, (100 + 130 + 160 + 190) / 4);
  EXPECT_EQ(seeds[0].polarity, 1);
  EXPECT_EQ(seeds[0].scanIndex, 5);
  EXPECT_EQ(seeds[0].startY, 11 * 256);
  EXPECT_EQ(seeds[0].endY, 8 * 256);
  EXPECT_EQ(seedsOf(ramp(105, 110, 115)).size(), 1u);  // 15
  EXPECT_TRUE(seedsOf(ramp(104, 109, 114)).empty());   // 14
  EXPECT_TRUE(seedsOf(ramp(190, 190, 190)).empty());   // a step: equal strengths, no peak
  EXPECT_EQ(seedsOf(ramp(130, 160, 190), 6).size(), 1u);
  EXPECT_TRUE(seedsOf(ramp(130, 160, 190), 7).empty());  // width - 3
  EXPECT_TRUE(seedsOf(ramp(130, 160, 190), 2).empty());  // the window's first column
}

}  // namespace
