// The ring-finder loop behind `idut locate --symbol pdp`: the row edges it hands to the
// library, and every ring of a scene found once, both polarities, clutter left out.
#include "idread/locate.h"

#include <gtest/gtest.h>

#include <vector>

#include "ring_edges.h"
#include "support/datamatrix.h"
#include "support/symbols.h"

namespace {

// Whether the quadrilaterals have the same corners, in any cyclic order either way round.
bool sameQuadrilateral(const cmath_vect* found, const cmath_vect* truth, double tolerance) {
  for (const int32_t direction : {1, 3}) {
    for (int32_t shift = 0; shift < 4; ++shift) {
      bool all = true;
      for (int32_t k = 0; k < 4 && all; ++k)
        all = isNear(found[k], truth[(shift + direction * k) % 4], tolerance);
      if (all) return true;
    }
  }
  return false;
}

std::vector<idread_symbol> locateRings(testImage& image) {
  std::vector<idread_symbol> rings;
  EXPECT_EQ(idread_locateRings(image.image(), idread_ringOptions{}, &rings), 0);
  return rings;
}

// Paints the grid turned about `centre` and returns its outer corners.
std::vector<cmath_vect> paintTurned(greyScene& scene, const moduleGrid& grid, cmath_vect centre,
                                    double module, double angle, double dark) {
  std::vector<cmath_vect> corners(4);
  turnedRectangle(centre, module * grid.columns, module * grid.rows, angle, corners.data());
  paintModules(scene, grid, corners.data(), dark);
  return corners;
}

TEST(LocateRings, RowEdgesArePixelsBeforeSignedSteps) {
  testImage image(40, 8, 200);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 10; x < 20; ++x) image.at(x, y) = 30;
  cimg_windowConst window;
  ASSERT_EQ(cimg_windowConst_init(&window, image.constImage()), 0);
  std::vector<int16_t> edges;
  idread_rowSignedEdges(window, 4, 15, &edges);
  EXPECT_EQ(edges, (std::vector<int16_t>{-9, 19}));
  idread_rowSignedEdges(window, 4, 170, &edges);  // steps of exactly the contrast
  EXPECT_EQ(edges, (std::vector<int16_t>{-9, 19}));
  idread_rowSignedEdges(window, 4, 171, &edges);
  EXPECT_TRUE(edges.empty());
}

TEST(LocateRings, FindsEachRingOnceInBothPolaritiesAndNotTheDataMatrix) {
  for (const bool inverted : {false, true}) {
    const double ground = inverted ? 40 : 210, ink = inverted ? 200 : 35;
    greyScene scene(480, 320, ground);
    const std::vector<cmath_vect> qr =
        paintTurned(scene, ringFinderModules(1, 3), {110, 100}, 6.0, 0.4, ink);
    const std::vector<cmath_vect> aztec =
        paintTurned(scene, ringFinderModules(2, 1), {360, 110}, 5.0, -0.2, ink);
    paintDataMatrix(scene, 16, 16, 5.0, 0.7, {240, 240}, ink, 3);
    scene.gaussianBlur(0.8);
    scene.addNoise(3.0, 7);
    testImage image(scene);
    const std::vector<idread_symbol> rings = locateRings(image);
    ASSERT_EQ(rings.size(), 2u) << "inverted " << inverted;
    const bool qrFirst = sameQuadrilateral(rings[0].corners, qr.data(), 1.0);
    EXPECT_TRUE(qrFirst || sameQuadrilateral(rings[0].corners, aztec.data(), 1.0));
    EXPECT_TRUE(sameQuadrilateral(rings[1].corners, qrFirst ? aztec.data() : qr.data(), 1.0));
  }
}

TEST(LocateRings, FindsTheThreeFindersOfAQrCode) {
  moduleGrid grid;
  if (!zintModules(zintQrCode, "RING123", &grid)) GTEST_SKIP() << "zint is not installed";
  greyScene scene(320, 320, 205);
  const double module = 5.0;
  const std::vector<cmath_vect> corners =
      paintTurned(scene, grid, {160, 160}, module, 0.25, 40);
  scene.gaussianBlur(0.7);
  testImage image(scene);
  const std::vector<idread_symbol> rings = locateRings(image);
  ASSERT_EQ(rings.size(), 3u);
  // Each finder is the symbol's corner square of 7 modules.
  const cmath_vect& o = corners[0];
  const cmath_vect across{(corners[1].x - o.x) / grid.columns, (corners[1].y - o.y) / grid.columns};
  const cmath_vect down{(corners[3].x - o.x) / grid.rows, (corners[3].y - o.y) / grid.rows};
  auto at = [&](double c, double r) {
    return cmath_vect{o.x + c * across.x + r * down.x, o.y + c * across.y + r * down.y};
  };
  const int32_t far = grid.rows - 7;
  for (const auto& [c, r] : {std::pair{0, 0}, std::pair{far, 0}, std::pair{0, far}}) {
    const cmath_vect finder[4] = {at(c, r), at(c + 7, r), at(c + 7, r + 7), at(c, r + 7)};
    EXPECT_EQ(std::count_if(rings.begin(), rings.end(),
                            [&](const idread_symbol& s) {
                              return sameQuadrilateral(s.corners, finder, 1.0);
                            }),
              1)
        << "finder at module " << c << ", " << r;
  }
}

}  // namespace
