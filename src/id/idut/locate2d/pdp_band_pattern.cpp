// Ring finders found by their band pattern on scan lines: on an image row confirmed by two
// neighbouring rows and by the column through the pattern's centre, or along any sampled
// line; each match becomes a seed for the ring finder.
#include "id/idut/locate2d/pdp_band_pattern.h"

#include <stdlib.h>

#include <algorithm>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/frame/check.h"
#include "id/idut/locate2d/seed_site.h"
#include "id/idut/locate2d/visit_map.h"

namespace {

constexpr int32_t neighbourReach = 8;     // pixels between matching edges of neighbour rows
constexpr int32_t wideConfirmation = 31;  // outer bands this wide need inner edges matched
constexpr int32_t columnExtremum = 40;    // vertical strength a band edge must show
constexpr int32_t smallPatternSamples = 36;

bool sameSign(int16_t a, int16_t b) {
  return (a > 0) == (b > 0);
}

// Whether a neighbour row's edges hold, in order, same-signed edges near the wanted ones:
// at most 8 pixels from the first, closer than 8 to the others.
bool neighbourConfirms(const int16_t* list, int32_t count, const int16_t* wanted,
                       int32_t numWanted) {
  int32_t k = 0;
  for (int32_t w = 0; w < numWanted; ++w) {
    const int32_t limit = w == 0 ? neighbourReach + 1 : neighbourReach;
    while (k < count &&
           !(sameSign(list[k], wanted[w]) && abs(abs(list[k]) - abs(wanted[w])) < limit))
      ++k;
    if (k == count) return false;
    ++k;
  }
  return true;
}

// Whether the column through the pattern's centre crosses rings above and below the row:
// each half shows a local maximum above 40 and a local minimum below -40 of the vertical
// three-pixel-sum difference. Window coordinates.
bool columnConfirms(const cimg_windowConst& window, int32_t c, int32_t y, int32_t h) {
  const uint8_t* pixels = static_cast<const uint8_t*>(window.pixels);
  auto p = [&](int32_t r) { return int32_t(pixels[ptrdiff_t(r) * window.stride + c]); };
  auto v = [&](int32_t r) { return p(r - 1) + p(r) + p(r + 1) - p(r + 2) - p(r + 3) - p(r + 4); };
  auto halfConfirms = [&](int32_t from, int32_t to) {
    bool maximum = false, minimum = false;
    for (int32_t r = from + 1; r < to; ++r) {
      const int32_t before = v(r - 1), here = v(r), after = v(r + 1);
      maximum = maximum || (here > columnExtremum && here >= before && here > after);
      minimum = minimum || (here < -columnExtremum && here <= before && here < after);
    }
    return maximum && minimum;
  };
  return halfConfirms(y - h, y - 1) && halfConfirms(y + 1, y + h);
}

// Offers a seed to the ring finder after an attention poll.
int32_t trySeed(const cimg_imageConst* image, const cid2d_trackingParams* params,
                const cid2d_trackingSeed& seed, const cbt_runParams& run, cimg_image* visitMap,
                int32_t tryThreeSides, const cid_mask* mask, int32_t reserved,
                const cmath_xformLinear* maskXform, cid2d_pdpResult* result) {
  if (const int32_t status = csys_attention_check(); status < 0) return status;
  const int32_t status = cf_BndFindPDPSymbolFromSeed(
      image, params, &seed, &run, visitMap, tryThreeSides, mask, reserved, maskXform, result);
  if (status >= 0 && result->tracking.found)
    result->tracking.foundScanIndex = params->startScanIndex;
  return status;
}

// What both band searches open first: the image and visit-map windows and the tracker's
// run parameters; the result is reset.
int32_t openBandSearch(const cimg_imageConst* image, const cid2d_trackingParams& params,
                       cimg_image* visitMap, cid2d_pdpResult* result, cimg_windowConst* window,
                       ccVisitMap* visits, cbt_runParams* run) {
  if (const int32_t status = cimg_windowConst_init(window, image); status < 0) return status;
  if (const int32_t status = visits->open(visitMap); status < 0) return status;
  if (const int32_t status = cid2d_searchRunParams(params, run); status < 0) return status;
  return cid2d_trackingResult_reset(&result->tracking);
}

}  // namespace

bool cid2d_isRingBandPattern(const int16_t* edges, cid2d_bandForm form, double maxSize,
                             int32_t* tolerance) {
  const int32_t intervals = cid2d_bandIntervals(form);
  int32_t w[6] = {};  // w[1..intervals]
  for (int32_t i = 1; i <= intervals; ++i) {
    if (sameSign(edges[i - 1], edges[i])) return false;
    w[i] = abs(edges[i]) - abs(edges[i - 1]);
  }
  if (form == cid2d_bandsShort) {
    const int32_t tol = *tolerance = std::max(2, (w[1] + w[2] + w[3]) >> 3);
    return w[1] + w[2] + w[3] <= maxSize && abs(w[1] - w[3]) <= tol &&
           abs(w[1] + w[3] + std::max(w[1], w[3]) - w[2]) <= tol;
  }
  const int32_t tol = *tolerance = std::max(2, (w[1] + w[2] + w[4] + w[5] + 4) >> 3);
  if (!(w[1] + w[2] + w[3] + w[4] + w[5] <= maxSize && abs(w[1] - w[2]) <= tol &&
        abs(w[4] - w[5]) <= tol && abs((w[1] + w[2]) - (w[4] + w[5])) <= tol))
    return false;
  if (form == cid2d_bandsOnLine) return w[3] <= w[1] + w[2] + (w[4] + w[5]) / 2 + tol;
  return w[3] <= w[1] + w[2] + w[4] + tol && w[3] <= w[2] + w[4] + w[5] + tol;
}

int32_t cid2d_ringBandThreshold(const uint8_t* samples, int32_t length, const int32_t* positions,
                                int32_t intervals, int32_t tolerance) {
  const int32_t from = std::max(0, positions[0] - tolerance - 2);
  const int32_t to = std::min(length - 1, positions[intervals] + tolerance + 2);
  int64_t sums[2] = {0, 0};
  int32_t counts[2] = {0, 0};
  int32_t band = 0;  // edges passed: pixel q lies after the edges at positions below q
  for (int32_t q = from; q <= to; ++q) {
    while (band <= intervals && positions[band] < q) ++band;
    const int32_t odd = band % 2 == 1 && band <= intervals;  // bands 1, 3, 5
    sums[odd] += samples[q];
    ++counts[odd];
  }
  if (counts[0] < 3 || counts[1] < 3) {
    auto at = [&](int32_t q) { return int32_t(samples[std::clamp(q, 0, length - 1)]); };
    const int32_t x = positions[0];
    return (at(x - 1) + at(x) + at(x + 1) + at(x + 2)) / 4;
  }
  const int32_t mean0 = int32_t(sums[0] / counts[0]), mean1 = int32_t(sums[1] / counts[1]);
  int32_t threshold = (mean0 + mean1) / 2;
  if (counts[0] + counts[1] < smallPatternSamples) {
    const int32_t difference = abs(mean0 - mean1);
    if (difference > 30) threshold -= 8;
    if (difference < 130) threshold -= difference / 16;
  }
  return threshold;
}

extern "C" int32_t cf_BndFindNextPDP(const cimg_imageConst* image,
                                     const cid2d_trackingParams* params, const cid_mask* mask,
                                     int32_t reserved, const cmath_xformLinear* maskXform,
                                     cimg_image* visitMap, int32_t tryThreeSides,
                                     const int16_t* edges, const int16_t* edgesAbove,
                                     const int16_t* edgesBelow, int32_t numEdges,
                                     int32_t numEdgesAbove, int32_t numEdgesBelow,
                                     cid2d_pdpResult* result) {
  CIDUT_CHECK(image && params && visitMap && result);
  CIDUT_CHECK(params->scanPositions && params->startScanIndex >= 0 &&
              params->startScanIndex < params->numScanPositions);
  CIDUT_CHECK((numEdges <= 0 || edges) && (numEdgesAbove <= 0 || edgesAbove) &&
              (numEdgesBelow <= 0 || edgesBelow));
  cimg_windowConst window;
  ccVisitMap visits;
  cbt_runParams run;
  int32_t status = openBandSearch(image, *params, visitMap, result, &window, &visits, &run);
  if (status < 0) return status;
  const int32_t row = params->scanPositions[params->startScanIndex];
  if (row < window.y0 + 3 || row > window.y0 + window.height - 1) return 0;
  const int32_t y = row - window.y0;
  const uint8_t* pixels = static_cast<const uint8_t*>(window.pixels) + ptrdiff_t(y) * window.stride;

  for (int32_t e = 0; e + 5 < numEdges && abs(edges[e]) < window.x0 + window.width - 5; ++e) {
    const int16_t* pattern = edges + e;
    if (visits.at((abs(pattern[0]) - window.x0) >> 2, y >> 2)) continue;
    int32_t tol;
    if (!cid2d_isRingBandPattern(pattern, cid2d_bandsOnRow, params->maxSize, &tol)) continue;
    // Wide outer bands are matched on the neighbour rows at their inner edges too.
    const int32_t outer = abs(pattern[2]) - abs(pattern[0]) + abs(pattern[5]) - abs(pattern[3]);
    const int16_t wide[4] = {pattern[0], pattern[1], pattern[4], pattern[5]};
    const int16_t narrow[2] = {pattern[0], pattern[5]};
    const int16_t* wanted = outer > wideConfirmation ? wide : narrow;
    const int32_t numWanted = outer > wideConfirmation ? 4 : 2;
    if (!neighbourConfirms(edgesAbove, numEdgesAbove, wanted, numWanted) ||
        !neighbourConfirms(edgesBelow, numEdgesBelow, wanted, numWanted))
      continue;
    const int32_t span = abs(pattern[5]) - abs(pattern[0]) + 1;
    const int32_t h = (2 * span) / 3 + 5;
    const int32_t c = (abs(pattern[2]) + abs(pattern[3])) / 2 - window.x0;
    if (y >= h + 1 && y <= window.height - h - 5 && !columnConfirms(window, c, y, h)) continue;

    int32_t positions[6];
    for (int32_t i = 0; i < 6; ++i) positions[i] = abs(pattern[i]) - window.x0;
    cid2d_trackingSeed seed;
    const int32_t x = positions[0];
    seed.x = x;
    seed.y = y;
    seed.strength = pixels[x + 1] - pixels[x];
    seed.meanGrey = cid2d_ringBandThreshold(pixels, window.width, positions, 5, tol);
    seed.scanIndex = params->startScanIndex;
    seed.polarity = pixels[x] < seed.meanGrey;
    seed.startX = (x + 2) * 256;
    seed.startY = y * 256;
    seed.endX = (x - 1) * 256;
    seed.endY = y * 256;
    if ((status = trySeed(image, params, seed, run, visitMap, tryThreeSides, mask, reserved,
                          maskXform, result)) < 0)
      return status;
    if (result->tracking.found) return 0;
  }
  return 0;
}

extern "C" int32_t cf_BndFindMatchingPDP(
    const cimg_imageConst* image, const cid2d_trackingParams* params, const cid_mask* mask,
    int32_t reserved, const cmath_xformLinear* maskXform, cimg_image* visitMap,
    int32_t tryThreeSides, const int16_t* edges, int32_t numEdges, int32_t profileLength,
    int32_t shortPattern, const double* line, const uint8_t* profile, cid2d_pdpResult* result) {
  CIDUT_CHECK(image && params && visitMap && result);
  CIDUT_CHECK(numEdges <= 0 || (edges && line && profile && profileLength > 0));
  cimg_windowConst window;
  ccVisitMap visits;
  cbt_runParams run;
  int32_t status = openBandSearch(image, *params, visitMap, result, &window, &visits, &run);
  if (status < 0) return status;
  const cid2d_bandForm form = shortPattern ? cid2d_bandsShort : cid2d_bandsOnLine;
  const int32_t intervals = cid2d_bandIntervals(form);
  // The window pixel of a sample point.
  auto pixelAt = [&](int32_t s, int32_t* x, int32_t* y) {
    s = std::clamp(s, 0, profileLength - 1);
    *x = int32_t(line[2 * s] + 0.5) - window.x0;
    *y = int32_t(line[2 * s + 1] + 0.5) - window.y0;
  };

  for (int32_t e = 0; e + intervals < numEdges; ++e) {
    const int16_t* pattern = edges + e;
    const int32_t s = abs(pattern[0]);
    cid2d_trackingSeed seed;
    pixelAt(s, &seed.x, &seed.y);
    if (visits.at(seed.x >> 2, seed.y >> 2)) continue;
    int32_t tol;
    if (!cid2d_isRingBandPattern(pattern, form, params->maxSize, &tol)) continue;
    int32_t positions[6];
    for (int32_t i = 0; i <= intervals; ++i) positions[i] = abs(pattern[i]);
    auto at = [&](int32_t q) { return int32_t(profile[std::clamp(q, 0, profileLength - 1)]); };
    seed.strength = at(s + 1) - at(s);
    seed.meanGrey = cid2d_ringBandThreshold(profile, profileLength, positions, intervals, tol);
    seed.scanIndex = params->startScanIndex;
    seed.polarity = at(s) < seed.meanGrey;
    int32_t x, y;
    pixelAt(s + 2, &x, &y);
    seed.startX = x * 256;
    seed.startY = y * 256;
    pixelAt(s - 1, &x, &y);
    seed.endX = x * 256;
    seed.endY = y * 256;
    if ((status = trySeed(image, params, seed, run, visitMap, tryThreeSides, mask, reserved,
                          maskXform, result)) < 0)
      return status;
    if (result->tracking.found) return 0;
  }
  return 0;
}
