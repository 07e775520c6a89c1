// The reader's walk over the scan rows: which edges it offers to the finder, that symbols
// are still found on grainy ground at any turn, and that a seed is passed over as claimed
// only where the mask holds it.
#include "row_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "idread/locate.h"
#include "support/datamatrix.h"
#include "support/synthetic.h"

namespace {

// The row seeds of strength 45 and up on every other row of the image, and how many of
// them idread_isCoherentEdge passes.
struct seedCount {
  int32_t seeds = 0;
  int32_t coherent = 0;
};

seedCount countCoherentSeeds(testImage& image) {
  cimg_windowConst window;
  EXPECT_EQ(cimg_windowConst_init(&window, image.constImage()), 0);
  std::vector<cid2d_trackingSeed> seeds(size_t(window.width));
  seedCount count;
  for (int32_t y = 2; y < window.height - 4; y += 2) {
    int32_t n = 0;
    EXPECT_EQ(cid2d_getHorizontalTrackingSeeds(image.constImage(), &y, 1, int32_t(seeds.size()),
                                               45, 0, seeds.data(), &n, 0, 0.0),
              0);
    for (int32_t i = 0; i < n; ++i) {
      ++count.seeds;
      count.coherent += idread_isCoherentEdge(window, seeds[size_t(i)]);
    }
  }
  return count;
}

}  // namespace

TEST(CoherentEdge, StraightEdgesPassUpTo45DegreesGrainDoesNot) {
  // A blurred, lightly noisy edge from vertical to 45 degrees off it, either polarity.
  for (const double degrees : {0.0, 20.0, 35.0, 45.0}) {
    for (const bool darkLeft : {true, false}) {
      const double a = degrees * M_PI / 180;
      greyScene scene(160, 120, darkLeft ? 200 : 50);
      scene.paint([&](double x, double y) { return (x - 80) * std::cos(a) + (y - 60) * std::sin(a) < 0; },
                  darkLeft ? 50 : 200);
      scene.gaussianBlur(0.8);
      scene.addNoise(5, 7);
      testImage image(scene);
      const seedCount count = countCoherentSeeds(image);
      ASSERT_GT(count.seeds, 40) << degrees;
      EXPECT_GE(count.coherent, count.seeds * 9 / 10) << degrees << (darkLeft ? " dark left" : "");
    }
  }
  // Pixel noise: edges everywhere, hardly one that runs on.
  for (uint32_t seed = 1; seed <= 2; ++seed) {
    testImage image(seed == 1 ? uniformNoise(200, 150, seed) : gaussianNoise(200, 150, seed));
    const seedCount count = countCoherentSeeds(image);
    ASSERT_GT(count.seeds, 1000);
    EXPECT_LT(count.coherent, count.seeds / 50) << seed;
  }
}

// Symbols turned up to 45 degrees, printed on a grainy ground: their edges are still
// offered, and each is found.
TEST(RowSearch, FindsSymbolsOnGrainyGround) {
  for (const double turn : {0.1, 0.45, 0.785}) {
    greyScene scene(320, 260, 200);
    const renderedSymbol symbol = paintDataMatrix(scene, 16, 16, 5.0, turn, {160, 130}, 60, 5);
    scene.gaussianBlur(0.7);
    scene.addNoise(12, 9);
    testImage image(scene);
    std::vector<idread_symbol> found;
    ASSERT_EQ(idread_locateAll(image.image(), {}, &found), 0);
    ASSERT_EQ(found.size(), 1u) << turn;
    EXPECT_TRUE(isNear(found[0].corners[0], symbol.corners[3], 2.0)) << turn;
  }
}

// On a row through a symbol and a lone stroke far from it, every edge of the symbol has
// company and neither edge of the stroke has.
TEST(RowCompany, SymbolEdgesHaveItALoneStrokeNot) {
  greyScene scene(400, 200, 210);
  paintDataMatrix(scene, 16, 16, 5.0, 0.2, {110, 100}, 40, 7);
  scene.paint([](double x, double) { return x >= 300 && x < 306; }, 40);
  scene.gaussianBlur(0.7);
  testImage image(scene);
  std::vector<cid2d_trackingSeed> seeds(400);
  int32_t n = 0, y = 100;
  ASSERT_EQ(cid2d_getHorizontalTrackingSeeds(image.constImage(), &y, 1, int32_t(seeds.size()), 45,
                                             0, seeds.data(), &n, 0, 0.0),
            0);
  int32_t onSymbol = 0, onStroke = 0;
  for (int32_t i = 0; i < n; ++i) {
    const bool company = idread_hasRowCompany(seeds.data(), n, i);
    if (seeds[size_t(i)].x < 200) {
      ++onSymbol;
      EXPECT_TRUE(company) << seeds[size_t(i)].x;
    } else {
      ++onStroke;
      EXPECT_FALSE(company) << seeds[size_t(i)].x;
    }
  }
  EXPECT_GE(onSymbol, 6);
  EXPECT_EQ(onStroke, 2);
}

// The search state vouches for a claimed seed only where the mask holds it claimed, and
// does so well inside a claimed quadrilateral, also when client units are not pixels.
TEST(ClaimedRegions, InsideOnlyWhereTheMaskHoldsTheClaim) {
  for (const double scale : {1.0, 0.5}) {
    testImage image(200, 160, 200);
    cmath_xformLinear clientFromImage;
    cmath_xformLinear_initIdentity(&clientFromImage);
    cmath_matrix_init(&clientFromImage.matrix, scale, 0, 0, scale);
    ASSERT_EQ(cimg_image_setLinearClientFromImageXform(image.image(), &clientFromImage), 0);
    cmath_xformLinear identity;  // the finders' mask transform
    cmath_xformLinear_initIdentity(&identity);
    ccSearchState state;
    ASSERT_EQ(state.buildMask(image.image()), 0);
    // A turned quadrilateral in perimeter order, client units.
    const cmath_vect q[4] = {{30 * scale, 120 * scale}, {140 * scale, 140 * scale},
                             {160 * scale, 40 * scale}, {50 * scale, 20 * scale}};
    ASSERT_EQ(state.claim(q, 2 * scale), 0);
    int32_t vouched = 0;
    for (int32_t y = 0; y < 160; ++y) {
      for (int32_t x = 0; x < 200; ++x) {
        if (!state.insideClaimed(x, y)) continue;
        ++vouched;
        const cmath_vect client{x * scale, y * scale};
        int32_t claimed = 0;
        ASSERT_EQ(cid_mask_isPointUnMasked(state.mask(), &client, &identity, &claimed), 0);
        ASSERT_EQ(claimed, 1) << x << ", " << y << " scale " << scale;
      }
    }
    EXPECT_GT(vouched, 8000) << scale;  // most of the quadrilateral's 11,000 pixels
    EXPECT_TRUE(state.insideClaimed(95, 80));
    EXPECT_FALSE(state.insideClaimed(20, 80));
  }
}
