// Rendered DataMatrix-like symbols.
#include "support/datamatrix.h"

#include <cmath>
#include <random>
#include <vector>

renderedSymbol paintDataMatrix(greyScene& scene, int32_t rows, int32_t columns, double moduleSize,
                               double angle, cmath_vect centre, double dark, uint32_t seed) {
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
  const double cosA = std::cos(angle), sinA = std::sin(angle);
  const double halfW = columns * moduleSize / 2, halfH = rows * moduleSize / 2;
  // Symbol coordinates (u right, v down from the top-left corner) to the scene.
  auto toScene = [&](double u, double v) {
    const double x = u - halfW, y = v - halfH;
    return cmath_vect{centre.x + x * cosA - y * sinA, centre.y + x * sinA + y * cosA};
  };
  scene.paint(
      [&](double x, double y) {
        const double dx = x - centre.x, dy = y - centre.y;
        const double u = dx * cosA + dy * sinA + halfW, v = -dx * sinA + dy * cosA + halfH;
        const int32_t c = int32_t(std::floor(u / moduleSize)), r = int32_t(std::floor(v / moduleSize));
        return c >= 0 && r >= 0 && c < columns && r < rows && isDark[size_t(r) * columns + c];
      },
      dark);
  const double w = columns * moduleSize, h = rows * moduleSize;
  return renderedSymbol{{toScene(0, 0), toScene(w, 0), toScene(w, h), toScene(0, h)}};
}

bool isNear(const cmath_vect& found, const cmath_vect& expected, double tolerance) {
  return std::hypot(found.x - expected.x, found.y - expected.y) <= tolerance;
}
