// The sequential DataMatrix searches: edges on the scan lines, in order, become seeds for
// a finder until one yields a symbol; the adaptive search uses the adaptive finder.
#include <stdlib.h>

#include <algorithm>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/frame/check.h"
#include "id/idut/locate2d/row_edges.h"
#include "id/idut/locate2d/seed_site.h"
#include "id/idut/locate2d/visit_map.h"

namespace {

constexpr int32_t rowThreshold = 45;
constexpr int32_t lowContrastRowThreshold = 33;
constexpr int32_t columnThreshold = 15;

// Polls at every pixel whose coordinates both have bits 0 and 2 set.
bool isPollPosition(int32_t x, int32_t y) { return (x & 5) == 5 && (y & 5) == 5; }

// Polls the attention check; true when it failed (its status in *status).
bool attentionFailed(int32_t* status) {
  *status = csys_attention_check();
  return *status < 0;
}

// Walks one scan line and offers each candidate edge whose visit-map block is still free
// to `find`. The adaptive search also skips row candidates next to blocks that a contour
// passed on their near side, and polls every 300 positions without a seed try. Returns the
// status of the first failing finder call or attention poll.
template <class Finder>
int32_t scanLineForSymbol(const cimg_windowConst& window, const ccVisitMap& visits,
                          const cid2d_trackingParams& params, int32_t scanIndex,
                          int32_t threshold, bool adaptive, const cid2d_trackingResult& result,
                          Finder find) {
  constexpr int32_t pollEveryPositions = 300;
  const uint8_t* pixels = static_cast<const uint8_t*>(window.pixels);
  const int32_t v = params.scanPositions[scanIndex];
  int32_t status = 0;
  if (params.scanRows) {
    const int32_t y = v - window.y0;
    if (y < 3 || y > window.height - 1) return 0;
    const uint8_t* row = pixels + ptrdiff_t(y) * window.stride;
    ccRowStrength strength(row, 3);
    ccEdgePeak peak(256);
    // Adaptive visit values are 1 + the contour's column mod 4: a block left of x that a
    // contour crossed in its right half, or one right of x crossed in its left half.
    auto besideAContour = [&](int32_t x) {
      if (x % 4 == 0 && x > 0) return visits.at((x >> 2) - 1, y >> 2) > 2;
      if (x % 4 != 3 || x >= window.width - 6) return false;
      const uint8_t right = visits.at((x >> 2) + 1, y >> 2);
      return right == 1 || right == 2;
    };
    int32_t positionsWithoutTry = 0;
    for (int32_t x = 3; x < window.width - 5 && !result.found; strength.advance(x), ++x) {
      if (peak.push(strength.strength(), threshold) && visits.at(x >> 2, y >> 2) == 0 &&
          !(adaptive && besideAContour(x))) {
        positionsWithoutTry = 0;
        if ((status = find(cid2d_rowSeed(row, x, y, peak.peak(), scanIndex))) < 0) return status;
      } else if (adaptive && ++positionsWithoutTry == pollEveryPositions) {
        positionsWithoutTry = 0;
        if (attentionFailed(&status)) return status;
      }
      if (isPollPosition(x, y) && attentionFailed(&status)) return status;
    }
  } else {
    const int32_t x = v - window.x0;
    if (x < 3 || x > window.width - 1) return 0;
    const uint8_t* column = pixels + x;
    const ptrdiff_t stride = window.stride;
    ccEdgePeak peak(256);
    for (int32_t y = 3; y < window.height - 5 && !result.found; ++y) {
      const int32_t g = abs(column[(y + 3) * stride] - column[y * stride]);
      if (peak.push(g, threshold) && visits.at(x >> 2, y >> 2) == 0 &&
          (status = find(cid2d_columnSeed(column, stride, x, y, peak.peak(), scanIndex))) < 0)
        return status;
      if (isPollPosition(x, y) && attentionFailed(&status)) return status;
    }
  }
  return 0;
}

// The walk over the scan lines shared by both searches.
template <class Finder>
int32_t searchScanLines(const cimg_imageConst* image, const cid2d_trackingParams* params,
                        int32_t lowContrast, cimg_image* visitMap, bool adaptive,
                        cid2d_trackingResult* result, cbt_runParams* run, Finder find) {
  CIDUT_CHECK(image && params && visitMap && result);
  CIDUT_CHECK(params->numScanPositions <= 0 || params->scanPositions);
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, image); status < 0) return status;
  ccVisitMap visits;
  if (const int32_t status = visits.open(visitMap); status < 0) return status;
  const int32_t threshold = !params->scanRows ? columnThreshold
                            : lowContrast     ? lowContrastRowThreshold
                                              : rowThreshold;
  if (const int32_t status = cid2d_searchRunParams(*params, run); status < 0) return status;
  run->adaptive = adaptive;
  if (const int32_t status = cid2d_trackingResult_reset(result); status < 0) return status;

  int32_t s = params->startScanIndex;
  for (; s < params->numScanPositions; ++s) {
    int32_t status;
    if (attentionFailed(&status)) return status;
    status = scanLineForSymbol(window, visits, *params, s, threshold, adaptive, *result, find);
    if (status < 0) return status;
    if (result->found) {
      result->foundScanIndex = s;
      return 0;
    }
  }
  result->foundScanIndex = std::max(s, params->startScanIndex);
  return 0;
}

}  // namespace

extern "C" int32_t cf_BndFindNextDMSymbol(const cimg_imageConst* image,
                                          const cid2d_trackingParams* params, const cid_mask* mask,
                                          int32_t reserved, const cmath_xformLinear* maskXform,
                                          int32_t lowContrast, cimg_image* visitMap,
                                          cid2d_trackingResult* result) {
  cbt_runParams run;
  return searchScanLines(image, params, lowContrast, visitMap, false, result, &run,
                         [&](const cid2d_trackingSeed& seed) {
                           return cf_BndFindDMSymbolFromSeed(image, params, &seed, &run, visitMap,
                                                             mask, reserved, maskXform, result);
                         });
}

extern "C" int32_t cidut_BoundaryTrackerSearchDMSymbolAdaptiveThreshold(
    const cimg_imageConst* image, const cid2d_trackingParams* params, const cid_mask* mask,
    const cmath_xformLinear* maskXform, int32_t lowContrast, cimg_image* visitMap,
    cid2d_trackingResult* result) {
  cbt_runParams run;
  return searchScanLines(image, params, lowContrast, visitMap, true, result, &run,
                         [&](const cid2d_trackingSeed& seed) {
                           return cf_BndFindDMSymbolFromSeed_Adaptive(
                               image, params, &seed, &run, visitMap, mask, maskXform, 0, result);
                         });
}
