// Rendered DataMatrix-like symbols.
#include "support/datamatrix.h"

#include <cmath>
#include <random>
#include <vector>

#include "kit/xform.h"

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
  const std::vector<uint8_t> isDark = symbolModules(rows, columns, seed);
  // Scene points to module coordinates (column, row).
  const cmath_vect grid[4] = {{0, 0}, {double(columns), 0}, {double(columns), double(rows)},
                              {0, double(rows)}};
  cmath_xformPerspective toGrid;
  cmath_xformPerspective_constructPointsAllowNonUnique(&toGrid, corners, grid, 4);
  scene.paint(
      [&](double x, double y) {
        const cmath_vect p{x, y};
        cmath_vect m;
        if (cmath_xformPerspective_mapPoint(&toGrid, &p, &m) < 0) return false;
        const int32_t c = int32_t(std::floor(m.x)), r = int32_t(std::floor(m.y));
        return c >= 0 && r >= 0 && c < columns && r < rows && isDark[size_t(r) * columns + c];
      },
      dark);
  cmath_xformPerspective_destruct(&toGrid);
  return renderedSymbol{{corners[0], corners[1], corners[2], corners[3]}};
}

renderedSymbol paintDataMatrix(greyScene& scene, int32_t rows, int32_t columns, double moduleSize,
                               double angle, cmath_vect centre, double dark, uint32_t seed) {
  const double cosA = std::cos(angle), sinA = std::sin(angle);
  const double halfW = columns * moduleSize / 2, halfH = rows * moduleSize / 2;
  auto toScene = [&](double u, double v) {
    const double x = u - halfW, y = v - halfH;
    return cmath_vect{centre.x + x * cosA - y * sinA, centre.y + x * sinA + y * cosA};
  };
  const double w = columns * moduleSize, h = rows * moduleSize;
  const cmath_vect corners[4] = {toScene(0, 0), toScene(w, 0), toScene(w, h), toScene(0, h)};
  return paintDataMatrixInPerspective(scene, rows, columns, corners, dark, seed);
}

bool isNear(const cmath_vect& found, const cmath_vect& expected, double tolerance) {
  return std::hypot(found.x - expected.x, found.y - expected.y) <= tolerance;
}
