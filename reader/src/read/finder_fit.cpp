// Fitting a symbol's corners to its finder pattern: the L (solid) and the clock tracks
// (alternating) are known module by module, so the corners that make the expected ink
// modules darkest against the expected spaces put the grid where the print is.
#include <cmath>

#include "grid_sampler.h"
#include "module_sampling.h"

namespace {

// Corner moves tried, in modules along each side, per round.
constexpr double steps[] = {-0.5, -0.25, 0.0, 0.25, 0.5};
constexpr int32_t rounds = 2;

// The contrast of the border modules under the given corners: the mean grey of the
// modules that should be space less that of the modules that should be ink (the L and
// every other clock module), in absolute value so that either polarity fits; -1 when
// the grid runs off the image.
double finderContrast(ccGridSampler* grid, const cmath_vect corners[4], int32_t rows,
                      int32_t columns) {
  if (!grid->place(corners, rows, columns)) return -1;
  double sums[2] = {0, 0};  // space, ink
  int32_t counts[2] = {0, 0};
  auto add = [&](int32_t r, int32_t c, bool ink) {
    const double g = grid->pointGrey(c + 0.5, rows - r - 0.5);  // r counts down from the top
    if (g < 0) return false;
    sums[ink] += g;
    ++counts[ink];
    return true;
  };
  bool inside = true;
  for (int32_t c = 0; c < columns && inside; ++c)
    inside = add(rows - 1, c, true) && add(0, c, c % 2 == 0);  // the L's base, the top track
  for (int32_t r = 1; r < rows - 1 && inside; ++r)
    inside = add(r, 0, true) && add(r, columns - 1, (rows - 1 - r) % 2 == 0);
  if (!inside || counts[0] == 0 || counts[1] == 0) return -1;
  return std::fabs(sums[0] / counts[0] - sums[1] / counts[1]);
}

}  // namespace

bool idread_fitCornersToFinder(const cimg_image* image, const idread_symbol& symbol,
                               int32_t rows, int32_t columns, idread_symbol* fitted) {
  ccGridSampler grid(image);
  *fitted = symbol;
  cmath_vect* c = fitted->corners;
  double best = finderContrast(&grid, c, rows, columns);
  if (best < 0) return false;
  const double start = best;
  for (int32_t round = 0; round < rounds; ++round) {
    for (int32_t k = 0; k < 4; ++k) {
      // One module along each side, measured at the current corners.
      const cmath_vect across{(c[1].x - c[0].x) / columns, (c[1].y - c[0].y) / columns};
      const cmath_vect up{(c[3].x - c[0].x) / rows, (c[3].y - c[0].y) / rows};
      const cmath_vect at = c[k];
      cmath_vect bestAt = at;
      for (const double a : steps) {
        for (const double b : steps) {
          c[k] = cmath_vect{at.x + a * across.x + b * up.x, at.y + a * across.y + b * up.y};
          const double contrast = finderContrast(&grid, c, rows, columns);
          if (contrast > best) {
            best = contrast;
            bestAt = c[k];
          }
        }
      }
      c[k] = bestAt;
    }
  }
  return best > start;
}
