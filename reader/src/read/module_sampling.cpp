// Sampling a located symbol's modules: the grey at each module's centre, mapped through
// the perspective between the module grid and the symbol's four corners, split into ink
// and space by a threshold that follows the local dark and light levels.
#include <algorithm>
#include <cmath>
#include <utility>

#include "ci_id/priv/ci_idut/prep.h"
#include "grid_sampler.h"
#include "idread/datamatrix.h"
#include "idread/read.h"
#include "module_sampling.h"

namespace {

// Modules on each side of a module whose levels set its threshold.
constexpr int32_t localReach = 3;
// A module whose grey lies within this share of the local contrast of its threshold is
// marked unsure.
constexpr double unsureShare = 0.12;

// Sums over the dark and the light modules within localReach of each module, from
// running sums over the rows and columns (a summed-area table holding both classes).
class ccClassSums {
 public:
  ccClassSums(int32_t rows, int32_t columns)
      : rows_(rows), columns_(columns), cells_(size_t(rows + 1) * (columns + 1)) {}
  void add(int32_t r, int32_t c, bool dark, double grey) {
    cell& at = cells_[index(r + 1, c + 1)];
    at.sum[dark] = grey;
    at.count[dark] = 1;
  }
  // Each cell becomes the sums over the modules above and left of it: the running sums
  // along its row plus the cell above.
  void integrate() {
    for (int32_t r = 1; r <= rows_; ++r) {
      cell* at = &cells_[index(r, 1)];
      const cell* up = &cells_[index(r - 1, 1)];
      cell running;
      for (int32_t c = 0; c < columns_; ++c) {
        for (const int32_t k : {0, 1}) {
          running.sum[k] += at[c].sum[k];
          running.count[k] += at[c].count[k];
          at[c].sum[k] = running.sum[k] + up[c].sum[k];
          at[c].count[k] = running.count[k] + up[c].count[k];
        }
      }
    }
  }
  // The means of the dark and the light modules in the box around module (r, c); false
  // when fewer than two of either fall in it.
  bool means(int32_t r, int32_t c, double* darkMean, double* lightMean) const {
    const int32_t r0 = std::max(0, r - localReach), r1 = std::min(rows_, r + localReach + 1);
    const int32_t c0 = std::max(0, c - localReach), c1 = std::min(columns_, c + localReach + 1);
    const cell &a = cells_[index(r1, c1)], &b = cells_[index(r0, c1)], &d = cells_[index(r1, c0)],
               &e = cells_[index(r0, c0)];
    const int32_t light = a.count[0] - b.count[0] - d.count[0] + e.count[0];
    const int32_t dark = a.count[1] - b.count[1] - d.count[1] + e.count[1];
    if (light < 2 || dark < 2) return false;
    *lightMean = (a.sum[0] - b.sum[0] - d.sum[0] + e.sum[0]) / light;
    *darkMean = (a.sum[1] - b.sum[1] - d.sum[1] + e.sum[1]) / dark;
    return true;
  }

 private:
  struct cell {
    double sum[2] = {0, 0};  // light, dark
    int32_t count[2] = {0, 0};
  };
  size_t index(int32_t r, int32_t c) const { return size_t(r) * (columns_ + 1) + c; }
  int32_t rows_, columns_;
  std::vector<cell> cells_;
};

// Blur spreads each module into its neighbours; subtracting a share of the neighbours'
// mean from each module takes some of that back (modules off the image stay off).
std::vector<double> sharpened(int32_t rows, int32_t columns, double share,
                              const std::vector<double>& g) {
  std::vector<double> greys = g;
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t c = 0; c < columns; ++c) {
      const double centre = g[size_t(r) * columns + c];
      if (centre < 0) continue;
      double sum = 0;
      int32_t n = 0;
      for (const auto& [dr, dc] : {std::pair{-1, 0}, std::pair{1, 0}, std::pair{0, -1}, std::pair{0, 1}}) {
        const int32_t rr = r + dr, cc = c + dc;
        if (rr < 0 || cc < 0 || rr >= rows || cc >= columns) continue;
        const double v = g[size_t(rr) * columns + cc];
        if (v < 0) continue;
        sum += v;
        ++n;
      }
      if (n > 0) greys[size_t(r) * columns + c] = std::clamp(centre + share * (centre - sum / n), 0.0, 255.0);
    }
  }
  return greys;
}

// A data region with the modules around it, (height + 2) x (width + 2) modules, transposed
// on a mirrored symbol's grid; false for a size of one region.
bool regionBlock(int32_t rows, int32_t columns, int32_t* blockRows, int32_t* blockColumns) {
  if (const idread_DataMatrixSize* size = idread_dataMatrixSizeFind(rows, columns)) {
    *blockRows = size->regionHeight + 2, *blockColumns = size->regionWidth + 2;
  } else if (const idread_DataMatrixSize* mirrored = idread_dataMatrixSizeFind(columns, rows)) {
    *blockRows = mirrored->regionWidth + 2, *blockColumns = mirrored->regionHeight + 2;
  } else {
    return false;
  }
  return *blockRows < rows || *blockColumns < columns;
}

// The greys of the modules (row by row from the top; -1 off the image) through one
// perspective over the whole grid, or one per data region.
int32_t sampleGreys(const cimg_image* image, const idread_symbol& symbol, int32_t rows,
                    int32_t columns, const idread_sampling& sampling, std::vector<double>* greys) {
  ccGridSampler grid(image);
  if (!grid.place(symbol.corners, rows, columns)) return CMATH_STATUS_DEGENERATE_POINTS;
  int32_t blockRows = rows, blockColumns = columns;
  const bool perRegion = sampling.perRegion && regionBlock(rows, columns, &blockRows, &blockColumns);
  for (int32_t top = 0; top < rows; top += blockRows) {
    for (int32_t left = 0; left < columns; left += blockColumns) {
      ccGridSampler block(image);
      if (perRegion) {
        // The block's corners on the whole grid (v up from the bottom), fitted to its own
        // border modules.
        const double u0 = left, u1 = left + blockColumns;
        const double v0 = rows - top - blockRows, v1 = rows - top;
        idread_symbol region = symbol;
        const double u[4] = {u0, u1, u1, u0}, v[4] = {v0, v0, v1, v1};
        for (int32_t k = 0; k < 4; ++k)
          if (!grid.clientPoint(u[k], v[k], &region.corners[k])) return CMATH_STATUS_DEGENERATE_POINTS;
        idread_symbol fitted;
        idread_fitCornersToFinder(image, region, blockRows, blockColumns, &fitted);
        if (!block.place(fitted.corners, blockRows, blockColumns)) return CMATH_STATUS_DEGENERATE_POINTS;
      }
      const ccGridSampler& over = perRegion ? block : grid;
      for (int32_t r = 0; r < blockRows; ++r)
        over.rowGreys(sampling.shiftX, blockRows - r - 0.5 + sampling.shiftY, blockColumns,
                      greys->data() + size_t(top + r) * columns + left);
    }
  }
  return 0;
}

}  // namespace

int32_t idread_sampleModules(const cimg_image* image, const idread_symbol& symbol, int32_t rows,
                             int32_t columns, std::vector<uint8_t>* modules) {
  return idread_sampleModulesAs(image, symbol, rows, columns, idread_sampling{}, modules);
}

int32_t idread_sampleModulesAs(const cimg_image* image, const idread_symbol& symbol, int32_t rows,
                               int32_t columns, const idread_sampling& sampling,
                               std::vector<uint8_t>* modules) {
  std::vector<double> greys;
  if (const int32_t status = idread_sampleModuleGreys(image, symbol, rows, columns, sampling, &greys);
      status < 0)
    return status;
  return idread_modulesFromGreys(greys, rows, columns, sampling.sharpening, modules);
}

int32_t idread_sampleModuleGreys(const cimg_image* image, const idread_symbol& symbol,
                                 int32_t rows, int32_t columns, const idread_sampling& sampling,
                                 std::vector<double>* greys) {
  greys->assign(size_t(std::max(rows, 0)) * std::max(columns, 0), -1);
  if (rows < 2 || columns < 2) return 0;
  return sampleGreys(image, symbol, rows, columns, sampling, greys);
}

int32_t idread_modulesFromGreys(const std::vector<double>& sampled, int32_t rows, int32_t columns,
                                double sharpening, std::vector<uint8_t>* modules) {
  modules->assign(size_t(std::max(rows, 0)) * std::max(columns, 0), 0);
  if (rows < 2 || columns < 2) return 0;
  uint32_t histogram[256] = {};
  for (const double g : sampled)
    if (g >= 0) ++histogram[int32_t(g + 0.5)];  // rounded half up, as greys are not negative
  std::vector<double> sharpenedGreys;
  if (sharpening != 0) sharpenedGreys = sharpened(rows, columns, sharpening, sampled);
  const std::vector<double>& greys = sharpening != 0 ? sharpenedGreys : sampled;
  cid_thresholdResult split;
  if (const int32_t status = cid_thresholdHist(histogram, 256, &split); status < 0) return status;
  const double global = split.threshold - 0.5;

  ccClassSums sums(rows, columns);
  double inkOfL = 0;  // the L: the left column and the bottom row
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t c = 0; c < columns; ++c) {
      const double g = greys[size_t(r) * columns + c];
      if (g < 0) continue;
      sums.add(r, c, g < global, g);
      if (c == 0 || r == rows - 1) inkOfL += g < global ? 1 : -1;
    }
  }
  sums.integrate();
  const bool darkInk = inkOfL >= 0;
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t c = 0; c < columns; ++c) {
      const double g = greys[size_t(r) * columns + c];
      uint8_t& module = (*modules)[size_t(r) * columns + c];
      if (g < 0) {
        module = IDREAD_MODULE_UNSURE;
        continue;
      }
      double darkMean, lightMean, threshold = global, contrast = 0;
      if (sums.means(r, c, &darkMean, &lightMean)) {
        threshold = (darkMean + lightMean) / 2;
        contrast = lightMean - darkMean;
      }
      module = uint8_t((g < threshold) == darkInk);
      if (std::fabs(g - threshold) < unsureShare * contrast) module |= IDREAD_MODULE_UNSURE;
    }
  }
  return 0;
}
