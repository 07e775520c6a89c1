// Symbols longer than the finder takes: an extended rectangle of 8 x 96 modules, turned and
// blurred, both polarities, is found as a long rectangle and read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "elongated_symbols.h"
#include "idread/read.h"
#include "support/symbols.h"

namespace {

TEST(LongSymbols, ExtendedRectangleIsFoundAndRead) {
  if (!zintInstalled()) GTEST_SKIP() << "zint is not installed";
  moduleGrid grid;
  ASSERT_TRUE(zintModules(zintDataMatrix, "LONG8X96", &grid, "--dmre --vers=34"));
  ASSERT_EQ(grid.rows, 8);
  ASSERT_EQ(grid.columns, 96);
  idread_reader* reader = nullptr;
  ASSERT_EQ(idread_reader_create(&reader), 0);
  for (const bool inverted : {false, true}) {
    greyScene scene(420, 260, inverted ? 40 : 210);
    cmath_vect corners[4];
    turnedRectangle({210, 130}, 3.5 * grid.columns, 3.5 * grid.rows, 0.35, corners);
    paintModules(scene, grid, corners, inverted ? 200 : 35);
    scene.gaussianBlur(0.7);
    scene.addNoise(2.0, 3);
    testImage image(scene);

    std::vector<std::array<cmath_vect, 4>> rectangles;
    ASSERT_EQ(idread_locateElongated(image.image(), idread_locateOptions{}, &rectangles), 0);
    ASSERT_EQ(rectangles.size(), 1u) << "inverted " << inverted;
    for (const cmath_vect& c : rectangles[0]) {
      double nearest = 1e9;
      for (const cmath_vect& t : corners) nearest = std::min(nearest, std::hypot(c.x - t.x, c.y - t.y));
      EXPECT_LT(nearest, 2.0) << "inverted " << inverted;
    }

    std::vector<idread_reading> readings;
    ASSERT_EQ(idread_readAll(reader, image.image(), idread_readOptions{}, &readings), 0);
    ASSERT_EQ(readings.size(), 1u) << "inverted " << inverted;
    EXPECT_EQ(readings[0].text, "LONG8X96");
    EXPECT_EQ(readings[0].rows, 8);
    EXPECT_EQ(readings[0].columns, 96);
  }
  idread_reader_release(&reader);
}

}  // namespace
