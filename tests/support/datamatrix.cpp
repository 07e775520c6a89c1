// Rendered DataMatrix-like symbols.
#include "support/datamatrix.h"

#include <cmath>
#include <random>
#include <vector>

#include "support/symbols.h"

namespace {

// Dark modules of a rows x columns symbol: the L on the left and bottom, the clock tracks
// on the top and right, random data.
std::vector<uint8_t> symbolModules(int32_t rows, int32_t columns, uint32_t seed) {
  std::vector<uint8_t> isDark(size_t(rows) * columns);
  std::mt19937 random(seed);
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t c = 0; c < columns; ++c) {
      bool value;
      if (c == 0 || r == rows - 1) value = true;                  // the L
      else if (r == 0) value = c % 2 == 0;                        // top clock track
      else if (c == columns - 1) value = (rows - 1 - r) % 2 == 0;  // right clock track
      else value = random() & 1;
      isDark[size_t(r) * columns + c] = value;
    }
  }
  return isDark;
}

}  // namespace

renderedSymbol paintDataMatrixInPerspective(greyScene& scene, int32_t rows, int32_t columns,
                                            const cmath_vect corners[4], double dark,
                                            uint32_t seed) {
  moduleGrid grid;
  grid.rows = rows;
  grid.columns = columns;
  grid.dark = symbolModules(rows, columns, seed);
  paintModules(scene, grid, corners, dark);
  return renderedSymbol{{corners[0], corners[1], corners[2], corners[3]}};
}

renderedSymbol paintDataMatrix(greyScene& scene, int32_t rows, int32_t columns, double moduleSize,
                               double angle, cmath_vect centre, double dark, uint32_t seed) {
  cmath_vect corners[4];
  turnedRectangle(centre, columns * moduleSize, rows * moduleSize, angle, corners);
  return paintDataMatrixInPerspective(scene, rows, columns, corners, dark, seed);
}

bool isNear(const cmath_vect& found, const cmath_vect& expected, double tolerance) {
  return std::hypot(found.x - expected.x, found.y - expected.y) <= tolerance;
}
