// Seed scanners: strong edges on given image rows (or one column) become tracking seeds.
#include <algorithm>
#include <cmath>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "id/idut/locate2d/row_edges.h"

namespace {

// Window row r as a pointer to its first pixel.
const uint8_t* windowRow(const cimg_windowConst& window, int32_t r) {
  return static_cast<const uint8_t*>(window.pixels) + ptrdiff_t(r) * window.stride;
}

// Positions whose strengths are tested at once for a run without seeds.
constexpr int32_t skipBlock = 16;

// The strength at position x of a row.
int32_t strengthAt(const uint8_t* row, int32_t x) {
  return abs(row[x + 2] + row[x + 3] + row[x + 4] - row[x - 1] - row[x] - row[x + 1]);
}

#ifdef __SSE2__
// Lanes of `limit` above the strengths |(r0 + r1 + r2) - (l0 + l1 + l2)|, as a byte mask;
// 16-bit lanes.
inline int32_t strengthsUnder(__m128i limit, __m128i l0, __m128i l1, __m128i l2, __m128i r0,
                              __m128i r1, __m128i r2) {
  const __m128i difference =
      _mm_sub_epi16(_mm_add_epi16(_mm_add_epi16(r0, r1), r2), _mm_add_epi16(_mm_add_epi16(l0, l1), l2));
  const __m128i strength = _mm_max_epi16(difference, _mm_sub_epi16(_mm_setzero_si128(), difference));
  return _mm_movemask_epi8(_mm_cmpgt_epi16(limit, strength));
}
#endif

// Whether the strengths at positions x to x + 15 all lie below the threshold; reads
// row[x - 1] to row[x + 19].
inline bool strengthsBelow(const uint8_t* row, int32_t x, int32_t threshold) {
#ifdef __SSE2__
  const uint8_t* p = row + x;
  auto load = [](const uint8_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); };
  const __m128i l0 = load(p - 1), l1 = load(p), l2 = load(p + 1);
  const __m128i r0 = load(p + 2), r1 = load(p + 3), r2 = load(p + 4);
  // Strengths reach 765 at most, so a threshold above that is 766 here, and 16 bits hold all.
  const __m128i limit = _mm_set1_epi16(int16_t(std::clamp(threshold, 0, 766)));
  const __m128i zero = _mm_setzero_si128();
  const int32_t low = strengthsUnder(limit, _mm_unpacklo_epi8(l0, zero), _mm_unpacklo_epi8(l1, zero),
                                     _mm_unpacklo_epi8(l2, zero), _mm_unpacklo_epi8(r0, zero),
                                     _mm_unpacklo_epi8(r1, zero), _mm_unpacklo_epi8(r2, zero));
  const int32_t high = strengthsUnder(limit, _mm_unpackhi_epi8(l0, zero), _mm_unpackhi_epi8(l1, zero),
                                      _mm_unpackhi_epi8(l2, zero), _mm_unpackhi_epi8(r0, zero),
                                      _mm_unpackhi_epi8(r1, zero), _mm_unpackhi_epi8(r2, zero));
  return (low & high) == 0xffff;
#else
  for (int32_t i = 0; i < skipBlock; ++i)
    if (strengthAt(row, x + i) >= threshold) return false;
  return true;
#endif
}

// Scans window row r over columns [first, last) and hands each seed to store, which
// returns false to stop the scan. Runs of weak strengths, most of a row, are passed over
// a block at a time: a position reports only when the strength one step back reaches
// the threshold.
template <class Store>
void scanRow(const cimg_windowConst& window, int32_t r, int32_t first, int32_t last,
             int32_t s2Start, int32_t threshold, int32_t scanIndex, Store store) {
  const uint8_t* row = windowRow(window, r);
  ccEdgePeak peak(s2Start);
  for (int32_t x = first; x < last;) {
    if (x + skipBlock <= last && peak.last() < threshold && strengthsBelow(row, x, threshold)) {
      peak.resume(strengthAt(row, x + skipBlock - 2), strengthAt(row, x + skipBlock - 1));
      x += skipBlock;
      continue;
    }
    const int32_t end = std::min(last, x + skipBlock);
    ccRowStrength strength(row, x);
    for (; x < end; strength.advance(x), ++x) {
      if (peak.push(strength.strength(), threshold) &&
          !store(cid2d_rowSeed(row, x, r, peak.peak(), scanIndex)))
        return;
    }
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
