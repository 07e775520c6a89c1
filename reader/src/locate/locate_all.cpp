// The find-all loop over the library's DataMatrix searches.
#include "idread/locate.h"

#include <algorithm>
#include <utility>

#include "clock_tracks.h"
#include "far_sides.h"
#include "module_grid.h"
#include "row_search.h"
#include "search_state.h"
#include "symbol_polarity.h"

namespace {

// Modules beyond a symbol's sides claimed with it: its quiet zone (a module at least) and
// the edge where the quiet zone meets the ground, whose contour would run around the
// whole label.
constexpr double claimedQuietZone = 1.5;

// Whether a pass starts on a fresh visit map: the first pass, the adaptive pass (its map
// values mean something else) and any pass after an adaptive one.
bool needsFreshVisits(const std::vector<idread_pass>& passes, size_t i) {
  return i == 0 || passes[i] == idread_passAdaptive || passes[i - 1] == idread_passAdaptive;
}

// The symbol of a sequential search, in perimeter order.
idread_symbol sequentialSymbol(const cid2d_trackingResult& result) {
  return idread_symbol{{result.rect.po, result.rect.px, result.fourthCorner, result.rect.py},
                     result.score,
                     result.threshold,
                     result.fourthCornerInferred};
}

// The symbol of an adaptive search: its L is left in the tracker's corner words as whole
// pixels of the window, taken here at the pixel's centre (v + 1/2: on the sample scenes
// the L corners then fall within 0.1 px of the truth on average), and completed to a
// parallelogram. The sides are turned as the sequential finder's:
// (Px - Po) x (Py - Po) not positive.
idread_symbol adaptiveSymbol(const cimg_image* image, const cid2d_trackingResult& result) {
  cimg_window window;
  cimg_window_init(&window, image);
  cmath_xformLinear clientFromImage;
  cimg_image_getLinearClientFromImageXform(image, &clientFromImage);
  const int32_t* words = result.boundary.corners;
  auto client = [&](int32_t x, int32_t y) {
    cmath_vect p{window.x0 + x + 0.5, window.y0 + y + 0.5};
    cmath_xformLinear_mapPoint(&clientFromImage, &p, &p);
    return p;
  };
  const cmath_vect po = client(words[0], words[1]);
  cmath_vect px = client(words[4], words[5]), py = client(words[6], words[7]);
  if ((px.x - po.x) * (py.y - po.y) - (px.y - po.y) * (py.x - po.x) > 0) std::swap(px, py);
  const cmath_vect opposite{px.x + py.x - po.x, px.y + py.y - po.y};
  return idread_symbol{{po, px, opposite, py}, 0, result.seed.meanGrey, 1};
}

}  // namespace

int32_t idread_locateAll(const cimg_image* image, const idread_locateOptions& options,
                       std::vector<idread_symbol>* symbols) {
  const cimg_imageConst* source = cimg_image_asConst(image);
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, source); status < 0) return status;
  ccScanRows scan(window, options.rowSpacing, 0, options.minSize, options.maxSize,
                  options.firstScanRow());
  cid2d_trackingParams& params = scan.params;
  params.symbolRows = options.symbolRows;
  params.symbolCols = options.symbolCols;
  params.relaxedFit = options.relaxedFit;
  params.extraRelaxedFit = options.extraRelaxedFit;
  params.allowBorderTouch = options.allowBorderTouch;

  ccSearchState state;
  if (const int32_t status = state.buildMask(image); status < 0) return status;
  cid2d_trackingResult& result = state.result();

  for (size_t i = 0; i < options.passes.size(); ++i) {
    const idread_pass pass = options.passes[i];
    if (needsFreshVisits(options.passes, i))
      if (const int32_t status = state.clearVisits(window.width, window.height); status < 0)
        return status;
    ccRowSearch rows(source, params,
                     pass == idread_passLowContrast ? idread_lowContrastEdgeStrength
                                                    : idread_rowEdgeStrength,
                     pass == idread_passAdaptive);
    for (;;) {
      const int32_t found = rows.next(&state);
      if (found < 0) return found;
      if (found == 0) break;
      // The sequential finder's legs reach the symbol's corners, so its far sides can be
      // measured; the adaptive finder's legs stop at their straight runs (and it does not
      // score). A find scoring too low is dropped before anything is measured on it.
      const bool scored = pass != idread_passAdaptive;
      idread_symbol symbol = scored ? sequentialSymbol(result) : adaptiveSymbol(image, result);
      if (scored && symbol.score < options.minScore) continue;
      // The L's polarity is checked on the finder's corners first, and again once the far
      // sides have moved them: most of what the finder takes for a symbol in a scene (the
      // outline of a symbol and its quiet zone, a label) fails it at once.
      if (!idread_symbol_hasPolarity(image, symbol, options.polarity)) continue;
      const bool measured = scored && idread_measureFarSides(image, result.boundary, &symbol);
      // A symbol whose far sides were measured has shown its clock tracks already; every
      // symbol must show regular teeth on them, from which its module grid is measured.
      ccClockTrackCheck tracks;
      if (measured ? !idread_symbol_hasPolarity(image, symbol, options.polarity)
                   : !idread_symbol_hasClockTracks(image, symbol, &tracks))
        continue;
      if (!measured) symbol.pitch = tracks.modulePitch();
      const int32_t grid = idread_measureModuleGrid(image, &symbol);
      if (grid < 0) return grid;
      if (grid == 0) continue;
      symbols->push_back(symbol);
      if (const int32_t claimed = state.claim(symbol.corners, claimedQuietZone * symbol.pitch);
          claimed < 0)
        return claimed;
    }
  }
  return 0;
}
