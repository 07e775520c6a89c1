// Reading every located DataMatrix symbol: sample its modules over the grids worth trying
// and decode, with retries, a second look where nothing read, and the symbols too long for
// the finder.
#include <algorithm>
#include <array>
#include <new>
#include <utility>

#include "cropped_symbol.h"
#include "elongated_symbols.h"
#include "grid_candidates.h"
#include "idread/read.h"
#include "module_sampling.h"
#include "kit/system.h"
#include "kit/xform.h"
#include "quadrilateral.h"

struct idread_reader {
  idread_DataMatrixDecoder* decoder = nullptr;
  std::vector<double> greys;     // reused from symbol to symbol
  std::vector<uint8_t> modules;
};

namespace {

// The samplings tried on each grid of a found symbol: as sampled; sharpened, for prints
// blurred into their neighbours; shifted by a fraction of a module each way, for corners
// placed a little off; region by region, for a large symbol printed on a bend.
const std::vector<idread_sampling> foundSamplings = {
    {0.0, 0.0, 0.0},  {0.75, 0.0, 0.0}, {0.0, 0.3, 0.0},       {0.0, -0.3, 0.0},
    {0.0, 0.0, 0.3},  {0.0, 0.0, -0.3}, {0.0, 0.0, 0.0, true}};
// A long rectangle's corners are its contour's extremes, measured, not fitted: no shifts,
// and no fit to the finder pattern (on the sample images it read nothing more and took a
// quarter of the time spent on images that do not read).
const std::vector<idread_sampling> rectangleSamplings = {{0.0, 0.0, 0.0}, {0.75, 0.0, 0.0}};
// Smallest modules tried on a rectangle, pixels: on a long one found in a scene, and on a
// small image cut to the symbol's edges, where a clean print may take one pixel a module.
constexpr double elongatedMinModule = 1.5;
constexpr double croppedMinModule = 1.0;

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

// Whether two samplings take the same greys: they differ in sharpening alone.
bool sharesGreys(const idread_sampling& a, const idread_sampling& b) {
  return a.shiftX == b.shiftX && a.shiftY == b.shiftY && a.perRegion == b.perRegion;
}

// Samplings decoded per symbol at most: a symbol that will not read must not cost more
// than a few milliseconds.
constexpr int32_t maxSamplings = 36;

// Decodes the symbol on the first grid and sampling that give a text; with `refit`, the
// samplings are tried again on each grid from corners fitted to its finder pattern. A
// decoder failure other than a symbol that does not decode (memory) is returned.
int32_t readSymbol(idread_reader* reader, const cimg_image* image, const std::vector<idread_grid>& grids,
                   const std::vector<idread_sampling>& tried, bool refit, idread_reading* reading) {
  idread_DataMatrixResult result;
  reading->status = IDREAD_ERR_NOT_A_SYMBOL_SIZE;
  int32_t budget = maxSamplings;
  for (const auto& [rows, columns] : grids) {
    const idread_DataMatrixSize* size = idread_dataMatrixSizeFind(rows, columns);
    if (!size) size = idread_dataMatrixSizeFind(columns, rows);
    if (!size) continue;
    const bool oneRegion = size->regionRows * size->regionColumns == 1;
    // The corners as found; then, when no sampling decodes, fitted to this grid's finder.
    idread_symbol fitted;
    bool refitted = false;
    const idread_sampling* sampledAs = nullptr;  // the sampling the greys were taken for
    const size_t attempts = refit ? 2 * tried.size() : tried.size();
    for (size_t attempt = 0; attempt < attempts && budget > 0; ++attempt) {
      if (attempt == tried.size()) {
        if (!(refitted = idread_fitCornersToFinder(image, reading->symbol, rows, columns, &fitted)))
          break;
        sampledAs = nullptr;
      }
      const idread_sampling& sampling = tried[attempt % tried.size()];
      if (sampling.perRegion && (oneRegion || !refitted)) continue;  // from corners fitted first
      --budget;
      const idread_symbol& symbol = refitted ? fitted : reading->symbol;
      if (!sampledAs || !sharesGreys(*sampledAs, sampling)) {
        const int32_t sampled =
            idread_sampleModuleGreys(image, symbol, rows, columns, sampling, &reader->greys);
        if (sampled == CMATH_STATUS_DEGENERATE_POINTS) return 0;  // corners that span no grid
        if (sampled < 0) return sampled;
        sampledAs = &sampling;
      }
      if (const int32_t status = idread_modulesFromGreys(reader->greys, rows, columns,
                                                         sampling.sharpening, &reader->modules);
          status < 0)
        return status;
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

// Locates with `locate` and reads each find that no reading from `first` on covers; finds
// that do not read are reported when `keepUnread` says so.
int32_t readLocated(idread_reader* reader, const cimg_image* image,
                    const idread_readOptions& options, const idread_locateOptions& locate,
                    size_t first, bool keepUnread, std::vector<idread_reading>* readings) {
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
    if (const int32_t status = readSymbol(reader, image, idread_gridsForSymbol(symbol, options.sizeSlack),
                                          foundSamplings, true, &reading);
        status < 0)
      return status;
    if (reading.read || keepUnread) readings->push_back(std::move(reading));
  }
  return 0;
}

// Reads a symbol known only as a rectangle, with each of its corners taken for the L's;
// the first that decodes is kept. One that reads nowhere is not reported: without the
// finder's L it need not be a symbol at all.
int32_t readRectangle(idread_reader* reader, const cimg_image* image,
                      const std::array<cmath_vect, 4>& rectangle, double minModule,
                      std::vector<idread_reading>* readings) {
  for (int32_t first = 0; first < 4; ++first) {
    idread_reading reading;
    for (int32_t k = 0; k < 4; ++k) reading.symbol.corners[k] = rectangle[size_t((first + k) % 4)];
    if (const int32_t status = readSymbol(reader, image, idread_gridsForRectangle(reading.symbol.corners, minModule),
                                          rectangleSamplings, false, &reading);
        status < 0)
      return status;
    if (reading.read) {
      readings->push_back(std::move(reading));
      break;
    }
  }
  return 0;
}

// Symbols too long for the finder (the extended rectangles): each long rectangle no
// symbol already covers.
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
    if (const int32_t status = readRectangle(reader, image, rectangle, elongatedMinModule, readings); status < 0)
      return status;
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
  if (const int32_t status =
          readLocated(reader, image, options, options.locate, first, true, readings);
      status < 0)
    return status;
  if (anyRead()) return 0;
  // Where nothing read, a second look: over rows twice as dense, the first look's among
  // them for an even spacing (a noisy symbol may offer a better edge between them), with
  // the loosest L fit and none of the checks that keep clutter out of a locate (the L's
  // polarity against the ground, the fit's score, corners inside the image), which refuse
  // symbols whose quiet zone is cut short or whose print is skewed: here the decoder tells
  // symbols from clutter, and only what reads is reported.
  idread_locateOptions loose = options.locate;
  loose.relaxedFit = 1;
  loose.extraRelaxedFit = 1;
  loose.polarity = idread_polarityAny;
  loose.minScore = 0;
  loose.allowBorderTouch = 1;
  loose.rowSpacing = std::max(1, options.locate.rowSpacing / 2);
  loose.firstRow = options.locate.firstScanRow();
  if (const int32_t status = readLocated(reader, image, options, loose, first, false, readings);
      status < 0)
    return status;
  if (anyRead()) return 0;
  // Symbols too long for the finder: that search tracks contours the finder has tracked
  // already, which costs more than the rest.
  if (const int32_t status = readElongated(reader, image, options, readings); status < 0)
    return status;
  if (anyRead()) return 0;
  // Last, a small image that may be a symbol cut to its edges.
  std::array<cmath_vect, 4> box;
  return idread_croppedSymbolBox(image, &box) ? readRectangle(reader, image, box, croppedMinModule, readings) : 0;
}
