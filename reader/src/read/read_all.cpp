// Reading every located DataMatrix symbol: sample its modules over the measured grid and
// decode; when that size does not decode, the symbol sizes next to it.
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <utility>

#include "elongated_symbols.h"
#include "idread/read.h"
#include "module_sampling.h"
#include "quadrilateral.h"
#include "kit/system.h"
#include "kit/xform.h"

struct idread_reader {
  idread_DataMatrixDecoder* decoder = nullptr;
  std::vector<uint8_t> modules;  // reused from symbol to symbol
};

namespace {

// Smallest module the reader samples, pixels.
constexpr double minModulePixels = 1.5;

// The grids to try for a symbol: the measured one; the symbol sizes within slack modules of
// it, nearest first (either way round: a mirrored symbol shows its size transposed); then,
// for a grid measured wrong, every other size whose modules come out near square and
// no smaller than minModulePixels on the symbol's sides, nearest in module size first.
std::vector<std::pair<int32_t, int32_t>> candidateGrids(const idread_symbol& symbol,
                                                        int32_t slack) {
  const int32_t rows = symbol.rows, columns = symbol.cols;
  const cmath_vect* c = symbol.corners;
  const double xSide = std::hypot(c[1].x - c[0].x, c[1].y - c[0].y);
  const double ySide = std::hypot(c[3].x - c[0].x, c[3].y - c[0].y);
  std::vector<std::pair<double, std::pair<int32_t, int32_t>>> near, far;
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
  std::vector<std::pair<int32_t, int32_t>> grids{{rows, columns}};
  for (const auto& list : {near, far})
    for (const auto& n : list) grids.push_back(n.second);
  return grids;
}

// The samplings tried on each grid of a found symbol: as sampled; sharpened, for prints
// blurred into their neighbours; shifted by a fraction of a module each way, for corners
// placed a little off.
const std::vector<idread_sampling> foundSamplings = {
    {0.0, 0.0, 0.0},  {0.75, 0.0, 0.0}, {0.0, 0.3, 0.0},
    {0.0, -0.3, 0.0}, {0.0, 0.0, 0.3},  {0.0, 0.0, -0.3}};
// A long rectangle's corners are its contour's extremes, measured, not fitted: no shifts.
const std::vector<idread_sampling> rectangleSamplings = {{0.0, 0.0, 0.0}, {0.75, 0.0, 0.0}};

void takeResult(const idread_DataMatrixResult& result, idread_reading* reading) {
  reading->read = 1;
  reading->status = 0;
  reading->text.assign(reinterpret_cast<const char*>(result.text), size_t(result.length));
  reading->rows = result.rows;
  reading->columns = result.columns;
  reading->correctedErrors = result.correctedErrors;
  reading->mirrored = result.mirrored;
  reading->gs1 = result.gs1;
  reading->macro = result.macro;
  reading->appendPosition = result.appendPosition;
  reading->appendCount = result.appendCount;
  reading->appendFileId = result.appendFileId;
  reading->ecis.assign(result.ecis,
                       result.ecis + std::min(result.eciCount, IDREAD_DATAMATRIX_MAX_ECIS));
}

using grid = std::pair<int32_t, int32_t>;  // rows (along the y side) x columns

// Samplings decoded per symbol at most: a symbol that will not read must not cost more
// than a few milliseconds.
constexpr int32_t maxSamplings = 36;

// Decodes the symbol on the first grid and sampling that give a text. A decoder failure
// other than a symbol that does not decode (memory) is returned.
int32_t readSymbol(idread_reader* reader, const cimg_image* image, const std::vector<grid>& grids,
                   const std::vector<idread_sampling>& tried, idread_reading* reading) {
  idread_DataMatrixResult result;
  reading->status = IDREAD_ERR_NOT_A_SYMBOL_SIZE;
  int32_t budget = maxSamplings;
  for (const auto& [rows, columns] : grids) {
    if (!idread_dataMatrixSizeFind(rows, columns) && !idread_dataMatrixSizeFind(columns, rows))
      continue;
    // The corners as found; then, when no sampling decodes, fitted to this grid's finder.
    idread_symbol fitted;
    bool refitted = false;
    for (size_t attempt = 0; attempt < 2 * tried.size() && budget-- > 0; ++attempt) {
      if (attempt == tried.size() &&
          !(refitted = idread_fitCornersToFinder(image, reading->symbol, rows, columns, &fitted)))
        break;
      const idread_sampling& sampling = tried[attempt % tried.size()];
      const idread_symbol& symbol = refitted ? fitted : reading->symbol;
      const int32_t sampled =
          idread_sampleModulesAs(image, symbol, rows, columns, sampling, &reader->modules);
      if (sampled == CMATH_STATUS_DEGENERATE_POINTS) return 0;  // corners that span no grid
      if (sampled < 0) return sampled;
      const int32_t status = idread_DataMatrixDecoder_decode(
          reader->decoder, reader->modules.data(), rows, columns, columns, &result);
      if (status == 0) {
        std::copy(symbol.corners, symbol.corners + 4, reading->symbol.corners);  // as read
        takeResult(result, reading);
        return 0;
      }
      if (status != IDREAD_ERR_NOT_A_SYMBOL_SIZE && status != IDREAD_ERR_UNCORRECTABLE &&
          status != IDREAD_ERR_INVALID_DATA)
        return status;
      // The first grid's failure is the one to report.
      if (reading->status == IDREAD_ERR_NOT_A_SYMBOL_SIZE) reading->status = status;
    }
  }
  return 0;
}

// The symbol sizes whose sides come out in the rectangle's ratio (within 15 %), with
// modules of at least minModulePixels, nearest ratio first; x side along columns.
std::vector<grid> rectangleGrids(const cmath_vect corners[4]) {
  const double xSide = std::hypot(corners[1].x - corners[0].x, corners[1].y - corners[0].y);
  const double ySide = std::hypot(corners[3].x - corners[0].x, corners[3].y - corners[0].y);
  std::vector<std::pair<double, grid>> fits;
  int32_t count;
  const idread_DataMatrixSize* sizes = idread_dataMatrixSizes(&count);
  for (int32_t i = 0; i < count; ++i) {
    for (const grid& g : {grid{sizes[i].rows, sizes[i].columns}, grid{sizes[i].columns, sizes[i].rows}}) {
      const double miss = std::fabs(std::log(g.second / xSide * ySide / g.first));
      if (miss < 0.15 && xSide / g.second >= minModulePixels && ySide / g.first >= minModulePixels)
        fits.push_back({miss, g});
    }
  }
  std::stable_sort(fits.begin(), fits.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<grid> grids;
  for (const auto& f : fits) grids.push_back(f.second);
  return grids;
}

// Locates with `locate` and reads each find that no reading from `first` on covers.
int32_t readLocated(idread_reader* reader, const cimg_image* image,
                    const idread_readOptions& options, const idread_locateOptions& locate,
                    size_t first, std::vector<idread_reading>* readings) {
  std::vector<idread_symbol> symbols;
  if (const int32_t status = idread_locateAll(image, locate, &symbols); status < 0) return status;
  for (const idread_symbol& symbol : symbols) {
    const cmath_vect centre{(symbol.corners[0].x + symbol.corners[2].x) / 2,
                            (symbol.corners[0].y + symbol.corners[2].y) / 2};
    if (std::any_of(readings->begin() + ptrdiff_t(first), readings->end(),
                    [&](const idread_reading& r) {
                      return idread_isInsideQuadrilateral(centre, r.symbol.corners);
                    }))
      continue;
    idread_reading reading;
    reading.symbol = symbol;
    if (const int32_t status = readSymbol(reader, image, candidateGrids(symbol, options.sizeSlack),
                                          foundSamplings, &reading);
        status < 0)
      return status;
    readings->push_back(std::move(reading));
  }
  return 0;
}

// Symbols too long for the finder (the extended rectangles): each long rectangle no
// symbol already covers is read with each of its corners taken for the L's; the first
// that decodes is kept. Rectangles that read nowhere are not reported: without the
// finder's L they need not be symbols at all.
int32_t readElongated(idread_reader* reader, const cimg_image* image,
                      const idread_readOptions& options, std::vector<idread_reading>* readings) {
  std::vector<std::array<cmath_vect, 4>> rectangles;
  if (const int32_t status = idread_locateElongated(image, options.locate, &rectangles);
      status < 0)
    return status;
  for (const auto& rectangle : rectangles) {
    const cmath_vect centre{(rectangle[0].x + rectangle[2].x) / 2,
                            (rectangle[0].y + rectangle[2].y) / 2};
    if (std::any_of(readings->begin(), readings->end(), [&](const idread_reading& r) {
          return idread_isInsideQuadrilateral(centre, r.symbol.corners);
        }))
      continue;
    for (int32_t first = 0; first < 4; ++first) {
      idread_reading reading;
      for (int32_t k = 0; k < 4; ++k) reading.symbol.corners[k] = rectangle[size_t((first + k) % 4)];
      if (const int32_t status = readSymbol(reader, image, rectangleGrids(reading.symbol.corners),
                                            rectangleSamplings, &reading);
          status < 0)
        return status;
      if (reading.read) {
        readings->push_back(std::move(reading));
        break;
      }
    }
  }
  return 0;
}

}  // namespace

// The reader's record comes from the kit's allocator, so that tests can fail it.
int32_t idread_reader_create(idread_reader** reader) {
  *reader = nullptr;
  void* block = nullptr;
  if (const int32_t status = csys_memory_alloc_internal(sizeof(idread_reader), &block); status < 0)
    return status;
  idread_reader* made = new (block) idread_reader;
  if (const int32_t status = idread_DataMatrixDecoder_create(&made->decoder); status < 0) {
    made->~idread_reader();
    csys_memory_free_internal(&block);
    return status;
  }
  *reader = made;
  return 0;
}

int32_t idread_reader_release(idread_reader** reader) {
  if (*reader == nullptr) return 0;
  idread_DataMatrixDecoder_release(&(*reader)->decoder);
  (*reader)->~idread_reader();
  void* block = *reader;
  csys_memory_free_internal(&block);
  *reader = nullptr;
  return 0;
}

int32_t idread_readAll(idread_reader* reader, const cimg_image* image,
                       const idread_readOptions& options, std::vector<idread_reading>* readings) {
  const size_t first = readings->size();
  const auto anyRead = [&] {
    return std::any_of(readings->begin() + ptrdiff_t(first), readings->end(),
                       [](const idread_reading& r) { return r.read; });
  };
  if (const int32_t status = readLocated(reader, image, options, options.locate, first, readings);
      status < 0)
    return status;
  if (anyRead()) return 0;
  // Where nothing read, a second look: scan rows twice as dense, the loosest L fit, and
  // none of the checks that keep clutter out of a locate (the L's polarity against the
  // ground, the fit's score, corners inside the image), which refuse symbols whose quiet
  // zone is cut short or whose print is skewed: here the decoder tells symbols from
  // clutter.
  idread_locateOptions loose = options.locate;
  loose.rowSpacing = std::max(2, loose.rowSpacing / 2);
  loose.relaxedFit = 1;
  loose.extraRelaxedFit = 1;
  loose.polarity = idread_polarityAny;
  loose.minScore = 0;
  loose.allowBorderTouch = 1;
  if (const int32_t status = readLocated(reader, image, options, loose, first, readings);
      status < 0)
    return status;
  if (anyRead()) return 0;
  // Symbols too long for the finder last: that search tracks contours the finder has
  // tracked already, which costs more than the rest.
  return readElongated(reader, image, options, readings);
}
