// The sequential DataMatrix search: edges on the scan lines, in order, become seeds for
// the finder until one yields a symbol.
#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/frame/check.h"
#include "id/idut/locate2d/row_edges.h"
#include "id/idut/locate2d/visit_map.h"

namespace {

constexpr int32_t rowThreshold = 45;
constexpr int32_t lowContrastRowThreshold = 33;
constexpr int32_t columnThreshold = 15;

// Polls at every pixel whose coordinates both have bits 0 and 2 set.
bool isPollPosition(int32_t x, int32_t y) { return (x & 5) == 5 && (y & 5) == 5; }

// The seed of an edge found at window position (x, y) of a column scan, column[y * stride]
// being pixel y of the column.
cid2d_trackingSeed columnSeed(const uint8_t* column, ptrdiff_t stride, int32_t x, int32_t y,
                              int32_t strength, int32_t scanIndex) {
  auto at = [&](int32_t r) { return int32_t(column[r * stride]); };
  cid2d_trackingSeed seed;
  seed.x = x;
  seed.y = y;
  seed.strength = strength;
  seed.meanGrey = (at(y - 1) + at(y) + at(y + 1) + at(y + 2)) / 4;
  seed.scanIndex = scanIndex;
  seed.polarity = at(y) < seed.meanGrey;
  seed.startX = x * 256;
  seed.startY = (y + 2) * 256;
  seed.endX = x * 256;
  seed.endY = (y - 1) * 256;
  return seed;
}

}  // namespace

// Walks one scan line and offers each candidate edge to the finder. Returns the status of
// the first failing finder call or attention poll.
template <class Finder>
int32_t cid2d_scanLineForSymbol(const cimg_windowConst& window, const ccVisitMap& visits,
                                const cid2d_trackingParams& params, int32_t scanIndex,
                                int32_t threshold, cid2d_trackingResult* result, Finder find) {
  const uint8_t* pixels = static_cast<const uint8_t*>(window.pixels);
  const int32_t v = params.scanPositions[scanIndex];
  if (params.scanRows) {
    const int32_t y = v - window.y0;
    if (y < 3 || y > window.height - 1) return 0;
    const uint8_t* row = pixels + ptrdiff_t(y) * window.stride;
    ccRowStrength strength(row, 3);
    ccEdgePeak peak(256);
    for (int32_t x = 3; x < window.width - 5 && !result->found; strength.advance(x), ++x) {
      if (peak.push(strength.strength(), threshold) && visits.at(x >> 2, y >> 2) == 0) {
        const cid2d_trackingSeed seed = cid2d_rowSeed(row, x, y, peak.peak(), scanIndex);
        if (const int32_t status = find(seed); status < 0) return status;
      }
      if (isPollPosition(x, y))
        if (const int32_t status = csys_attention_check(); status < 0) return status;
    }
  } else {
    const int32_t x = v - window.x0;
    if (x < 3 || x > window.width - 1) return 0;
    const uint8_t* column = pixels + x;
    const ptrdiff_t stride = window.stride;
    ccEdgePeak peak(256);
    for (int32_t y = 3; y < window.height - 5 && !result->found; ++y) {
      const int32_t g = abs(column[(y + 3) * stride] - column[y * stride]);
      if (peak.push(g, threshold) && visits.at(x >> 2, y >> 2) == 0) {
        const cid2d_trackingSeed seed = columnSeed(column, stride, x, y, peak.peak(), scanIndex);
        if (const int32_t status = find(seed); status < 0) return status;
      }
      if (isPollPosition(x, y))
        if (const int32_t status = csys_attention_check(); status < 0) return status;
    }
  }
  return 0;
}

extern "C" int32_t cf_BndFindNextDMSymbol(const cimg_imageConst* image,
                                          const cid2d_trackingParams* params, const cid_mask* mask,
                                          int32_t reserved, const cmath_xformLinear* maskXform,
                                          int32_t lowContrast, cimg_image* visitMap,
                                          cid2d_trackingResult* result) {
  CIDUT_CHECK(image && params && visitMap && result);
  CIDUT_CHECK(params->numScanPositions <= 0 || params->scanPositions);
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, image); status < 0) return status;
  ccVisitMap visits;
  if (const int32_t status = visits.open(visitMap); status < 0) return status;
  const int32_t threshold = !params->scanRows ? columnThreshold
                            : lowContrast     ? lowContrastRowThreshold
                                              : rowThreshold;
  cbt_runParams run;
  if (const int32_t status = cbt_runParams_init(&run); status < 0) return status;
  run.interpolate = 1;
  run.followOpen = 1;
  run.minPoints = 0;
  run.maxPoints = params->maxBoundaryPoints;
  if (const int32_t status = cid2d_trackingResult_reset(result); status < 0) return status;

  int32_t s = params->startScanIndex;
  for (; s < params->numScanPositions && !result->found; ++s) {
    if (const int32_t status = csys_attention_check(); status < 0) return status;
    const int32_t status = cid2d_scanLineForSymbol(
        window, visits, *params, s, threshold, result, [&](const cid2d_trackingSeed& seed) {
          return cf_BndFindDMSymbolFromSeed(image, params, &seed, &run, visitMap, mask, reserved,
                                            maskXform, result);
        });
    if (status < 0) return status;
    if (result->found) {
      result->foundScanIndex = s;
      return 0;
    }
  }
  result->foundScanIndex = std::max(s, params->startScanIndex);
  return 0;
}
