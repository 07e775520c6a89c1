// The module grids a reader tries on a symbol.
#include "grid_candidates.h"

#include <stdlib.h>

#include <algorithm>
#include <cmath>

#include "idread/datamatrix.h"

namespace {

// Smallest module the reader samples, pixels.
constexpr double minModulePixels = 1.5;

}  // namespace

std::vector<idread_grid> idread_gridsForSymbol(const idread_symbol& symbol, int32_t slack) {
  const int32_t rows = symbol.rows, columns = symbol.cols;
  const cmath_vect* c = symbol.corners;
  const double xSide = std::hypot(c[1].x - c[0].x, c[1].y - c[0].y);
  const double ySide = std::hypot(c[3].x - c[0].x, c[3].y - c[0].y);
  std::vector<std::pair<double, idread_grid>> near, far;
  int32_t count;
  const idread_DataMatrixSize* sizes = idread_dataMatrixSizes(&count);
  for (int32_t i = 0; i < count; ++i) {
    for (const auto& grid : {std::pair{sizes[i].rows, sizes[i].columns},
                             std::pair{sizes[i].columns, sizes[i].rows}}) {
      const auto seen = [&](const auto& list) {
        return std::any_of(list.begin(), list.end(), [&](const auto& g) { return g.second == grid; });
      };
      if (grid == std::pair{rows, columns} || seen(near) || seen(far)) continue;
      const int32_t dr = abs(grid.first - rows), dc = abs(grid.second - columns);
      const double moduleX = xSide / grid.second, moduleY = ySide / grid.first;
      if (dr <= slack && dc <= slack)
        near.push_back({double(dr + dc), grid});
      else if (std::min(moduleX, moduleY) >= minModulePixels &&
               std::fabs(moduleX / moduleY - 1) < 0.25)
        far.push_back({std::fabs(std::log(grid.first * double(grid.second) /
                                          (std::max(rows, 1) * double(std::max(columns, 1))))),
                       grid});
    }
  }
  const auto nearestFirst = [](const auto& a, const auto& b) { return a.first < b.first; };
  std::stable_sort(near.begin(), near.end(), nearestFirst);
  std::stable_sort(far.begin(), far.end(), nearestFirst);
  std::vector<idread_grid> grids{{rows, columns}};
  for (const auto& list : {near, far})
    for (const auto& n : list) grids.push_back(n.second);
  return grids;
}

std::vector<idread_grid> idread_gridsForRectangle(const cmath_vect corners[4], double minModule) {
  const double xSide = std::hypot(corners[1].x - corners[0].x, corners[1].y - corners[0].y);
  const double ySide = std::hypot(corners[3].x - corners[0].x, corners[3].y - corners[0].y);
  std::vector<std::pair<double, idread_grid>> fits;
  int32_t count;
  const idread_DataMatrixSize* sizes = idread_dataMatrixSizes(&count);
  for (int32_t i = 0; i < count; ++i) {
    for (const idread_grid& g :
         {idread_grid{sizes[i].rows, sizes[i].columns}, idread_grid{sizes[i].columns, sizes[i].rows}}) {
      const double miss = std::fabs(std::log(g.second / xSide * ySide / g.first));
      if (miss < 0.15 && xSide / g.second >= minModule && ySide / g.first >= minModule)
        fits.push_back({miss, g});
    }
  }
  std::stable_sort(fits.begin(), fits.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<idread_grid> grids;
  for (const auto& f : fits) grids.push_back(f.second);
  return grids;
}
