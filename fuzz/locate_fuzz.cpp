// The DataMatrix find-all loop on small images drawn in cells, under a mix of passes, fits
// and polarities: every symbol has finite corners near the image, a module grid that is
// either unmeasured or a plausible one, and a finite pitch.
#include <vector>

#include "fuzz_support.h"
#include "idread/datamatrix.h"
#include "idread/locate.h"

namespace {

void checkGrid(const idread_symbol& symbol, int32_t width, int32_t height) {
  FUZZ_REQUIRE(std::isfinite(symbol.pitch) && symbol.pitch >= 0.0);
  FUZZ_REQUIRE((symbol.rows == 0) == (symbol.cols == 0));
  if (symbol.rows == 0) return;
  if (idread_dataMatrixSizeFind(symbol.rows, symbol.cols) != nullptr) return;
  // Counts that are no symbol size must still fit the image at the measured pitch.
  const double reach = 2.0 * (width + height);
  FUZZ_REQUIRE(symbol.rows > 0 && symbol.cols > 0 && symbol.pitch > 0.0);
  FUZZ_REQUIRE(symbol.rows * symbol.pitch <= reach && symbol.cols * symbol.pitch <= reach);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_input in(data, size);
  const int32_t width = int32_t(in.range(1, 96));
  const int32_t height = int32_t(in.range(1, 96));
  const int32_t cell = int32_t(in.range(1, 8));
  idread_locateOptions options;
  options.rowSpacing = int32_t(in.range(1, 16));
  options.minSize = double(in.range(0, 40));
  options.maxSize = options.minSize + double(in.range(0, 255));
  if (in.flag()) {
    options.symbolRows = int32_t(in.range(8, 26));
    options.symbolCols = in.flag() ? options.symbolRows : int32_t(in.range(8, 48));
  }
  const uint8_t fits = in.byte();
  options.relaxedFit = fits & 1;
  options.extraRelaxedFit = fits >> 1 & 1;
  options.allowBorderTouch = fits >> 2 & 1;
  options.polarity = idread_polarity(in.range(0, 2));
  options.minScore = int32_t(in.range(0, 1000));
  const uint8_t passes = in.byte();
  options.passes.clear();
  for (int32_t pass = 0; pass < 3; ++pass)
    if (passes >> pass & 1) options.passes.push_back(idread_pass(pass));
  fuzz_greyImage image(width, height);
  fuzz_drawCells(in, cell, &image);

  std::vector<idread_symbol> symbols;
  if (idread_locateAll(image.image(), options, &symbols) < 0) return 0;
  for (const idread_symbol& symbol : symbols) {
    for (const cmath_vect& corner : symbol.corners)
      FUZZ_REQUIRE(fuzz_isNear(corner, width, height, width + height));
    FUZZ_REQUIRE(symbol.score >= 0 && symbol.score <= 1000);
    FUZZ_REQUIRE(symbol.fourthCornerInferred == 0 || symbol.fourthCornerInferred == 1);
    checkGrid(symbol, width, height);
  }
  return 0;
}
