// Seed scanners: strong edges on given image rows (or one column) become tracking seeds.
#include <algorithm>
#include <cmath>

#include "id/idut/locate2d/row_edges.h"

namespace {

// Window row r as a pointer to its first pixel.
const uint8_t* windowRow(const cimg_windowConst& window, int32_t r) {
  return static_cast<const uint8_t*>(window.pixels) + ptrdiff_t(r) * window.stride;
}

// Scans window row r over columns [first, last) and hands each seed to store, which
// returns false to stop the scan.
template <class Store>
void scanRow(const cimg_windowConst& window, int32_t r, int32_t first, int32_t last,
             int32_t s2Start, int32_t threshold, int32_t scanIndex, Store store) {
  const uint8_t* row = windowRow(window, r);
  ccRowStrength strength(row, first);
  ccEdgePeak peak(s2Start);
  for (int32_t x = first; x < last; strength.advance(x), ++x) {
    if (peak.push(strength.strength(), threshold) &&
        !store(cid2d_rowSeed(row, x, r, peak.peak(), scanIndex)))
      return;
  }
}

}  // namespace

extern "C" int32_t cid2d_getHorizontalTrackingSeeds(const cimg_imageConst* image,
                                                     const int32_t* rows, int32_t numRows,
                                                     int32_t maxSeeds, int32_t minContrast,
                                                     int32_t sort, cid2d_trackingSeed* seeds,
                                                     int32_t* numSeeds, int32_t pairFilter,
                                                     double pairSpacing) {
  *numSeeds = 0;
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, image); status < 0) return status;
  const int32_t spacing = int32_t(std::floor(pairSpacing));
  int32_t count = 0;
  for (int32_t index = 0; index < numRows && count < maxSeeds; ++index) {
    const int32_t r = rows[index] - window.y0;
    if (r <= 0 || r >= window.height - 3 || window.width < 6) continue;
    const int32_t rowStart = count;
    scanRow(window, r, 2, window.width - 5, 256, minContrast, index,
            [&](const cid2d_trackingSeed& seed) {
              const bool append = [&] {
                if (!pairFilter || count - rowStart < 2) return true;
                const cid2d_trackingSeed& l2 = seeds[count - 2];
                const cid2d_trackingSeed& l1 = seeds[count - 1];
                return (l1.x - l2.x < spacing && l1.polarity != l2.polarity) ||
                       (seed.x - l1.x < spacing && seed.polarity != l1.polarity);
              }();
              if (append) seeds[count++] = seed;
              else seeds[count - 1] = seed;
              return count < maxSeeds;
            });
  }
  if (sort) cid2d_sortSeeds(seeds, seeds + count);
  *numSeeds = count;
  return 0;
}

extern "C" int32_t cid2d_getHorizontalTrackingSeeds_ThreeScanlines(
    const cimg_imageConst* image, const int32_t* rows, int32_t /*ignored*/, int32_t maxSeeds,
    int32_t minContrast, cid2d_trackingSeed* seeds, int32_t* numSeeds) {
  *numSeeds = 0;
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, image); status < 0) return status;
  constexpr int32_t keepOfFirstRow = 30, keepOfOtherRows = 3, sortAllAbove = 10;
  int32_t kept = 0;
  for (int32_t index = 0; index < 3; ++index) {
    int32_t count = 0;
    if (kept < maxSeeds) {
      scanRow(window, rows[index] - window.y0, 2, window.width - 5, 256, minContrast, index,
              [&](const cid2d_trackingSeed& seed) {
                seeds[kept + count++] = seed;
                return kept + count < maxSeeds;
              });
    }
    cid2d_trackingSeed* const rowSeeds = seeds + kept;
    if (index == 0) {
      // The leftmost edge stays first; the strongest of the others follow it.
      if (count > 1) cid2d_sortSeeds(rowSeeds + 1, rowSeeds + count);
      kept += std::min(count, keepOfFirstRow);
    } else {
      cid2d_sortSeeds(rowSeeds, rowSeeds + count);
      kept += std::min(count, keepOfOtherRows);
    }
  }
  if (kept > sortAllAbove) cid2d_sortSeeds(seeds + 3, seeds + kept);
  *numSeeds = kept;
  return 0;
}

int32_t cid2d_getRowTrackingSeeds(const cimg_windowConst& window, int32_t y, int32_t maxSeeds,
                                  int32_t sort, cid2d_trackingSeed* seeds, int32_t* numSeeds) {
  *numSeeds = 0;
  const int32_t r = y - window.y0;
  if (r <= 0 || r >= window.height - 3 || window.width < 7) return 0;
  constexpr int32_t fixedThreshold = 45;  // strengths above 44
  int32_t count = 0;
  if (maxSeeds > 0) {
    scanRow(window, r, 3, window.width - 6, 1000, fixedThreshold, y,
            [&](const cid2d_trackingSeed& seed) {
              seeds[count++] = seed;
              return count < maxSeeds;
            });
  }
  if (sort) cid2d_sortSeeds(seeds, seeds + count);
  *numSeeds = count;
  return 0;
}

int32_t cid2d_getColumnTrackingSeeds(const cimg_windowConst& window, int32_t x, int32_t maxSeeds,
                                     int32_t sort, cid2d_trackingSeed* seeds, int32_t* numSeeds) {
  *numSeeds = 0;
  const int32_t c = x - window.x0;
  if (c <= 0 || c >= window.width - 3) return 0;
  constexpr int32_t fixedThreshold = 15;  // strengths above 14
  const uint8_t* column = static_cast<const uint8_t*>(window.pixels) + c;
  const ptrdiff_t stride = window.stride;
  ccEdgePeak peak(1000, true);
  int32_t count = 0;
  for (int32_t y = 2; y < window.height - 6 && count < maxSeeds; ++y) {
    const int32_t g = abs(column[(y + 3) * stride] - column[y * stride]);
    if (peak.push(g, fixedThreshold))
      seeds[count++] = cid2d_columnSeed(column, stride, c, y, peak.peak(), x);
  }
  if (sort) cid2d_sortSeeds(seeds, seeds + count);
  *numSeeds = count;
  return 0;
}
