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

// Positions whose peaks are tested at once.
constexpr int32_t block = 16;

#ifdef __SSE2__
// The strengths |(r0 + r1 + r2) - (l0 + l1 + l2)| of eight positions, in 16-bit lanes
// (765 at most).
inline __m128i strengths8(__m128i l0, __m128i l1, __m128i l2, __m128i r0, __m128i r1, __m128i r2) {
  const __m128i difference =
      _mm_sub_epi16(_mm_add_epi16(_mm_add_epi16(r0, r1), r2), _mm_add_epi16(_mm_add_epi16(l0, l1), l2));
  return _mm_max_epi16(difference, _mm_sub_epi16(_mm_setzero_si128(), difference));
}

// The peak test of eight positions at once: lanes where current > previous, current >=
// next and current >= limit, as all-ones.
inline __m128i peaks8(__m128i previous, __m128i current, __m128i next, __m128i limit) {
  const __m128i rises = _mm_cmpgt_epi16(current, previous);
  const __m128i falls = _mm_cmpgt_epi16(next, current);
  const __m128i weak = _mm_cmpgt_epi16(limit, current);
  return _mm_andnot_si128(_mm_or_si128(falls, weak), rises);
}

// The positions x to x + 15 of a row that report a peak one step back, given the
// strengths at x - 2 and x - 1 in *beforeLast and *last: bits 0 to 15 of the result, the
// peaks' strengths in strengthsOut[0..15]. The strengths at x + 14 and x + 15 are left in
// *beforeLast and *last. Reads row[x - 1] to row[x + 19].
inline int32_t peaks16(const uint8_t* row, int32_t x, int32_t threshold, int32_t* beforeLast,
                       int32_t* last, int16_t strengthsOut[16]) {
  const uint8_t* p = row + x;
  auto load = [](const uint8_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); };
  const __m128i l0 = load(p - 1), l1 = load(p), l2 = load(p + 1);
  const __m128i r0 = load(p + 2), r1 = load(p + 3), r2 = load(p + 4);
  const __m128i zero = _mm_setzero_si128();
  // Strengths at x .. x + 7 and x + 8 .. x + 15.
  const __m128i low = strengths8(_mm_unpacklo_epi8(l0, zero), _mm_unpacklo_epi8(l1, zero),
                                 _mm_unpacklo_epi8(l2, zero), _mm_unpacklo_epi8(r0, zero),
                                 _mm_unpacklo_epi8(r1, zero), _mm_unpacklo_epi8(r2, zero));
  const __m128i high = strengths8(_mm_unpackhi_epi8(l0, zero), _mm_unpackhi_epi8(l1, zero),
                                  _mm_unpackhi_epi8(l2, zero), _mm_unpackhi_epi8(r0, zero),
                                  _mm_unpackhi_epi8(r1, zero), _mm_unpackhi_epi8(r2, zero));
  // Candidates at x - 1 .. x + 6 and x + 7 .. x + 14, with their neighbours either side.
  // Strengths reach 765 at most, so a threshold above that is 766 here.
  const __m128i limit = _mm_set1_epi16(int16_t(std::clamp(threshold, 0, 766)));
  const __m128i currentLow = _mm_insert_epi16(_mm_slli_si128(low, 2), *last, 0);
  const __m128i previousLow =
      _mm_insert_epi16(_mm_insert_epi16(_mm_slli_si128(low, 4), *beforeLast, 0), *last, 1);
  const __m128i currentHigh = _mm_or_si128(_mm_srli_si128(low, 14), _mm_slli_si128(high, 2));
  const __m128i previousHigh = _mm_or_si128(_mm_srli_si128(low, 12), _mm_slli_si128(high, 4));
  const int32_t bits = _mm_movemask_epi8(_mm_packs_epi16(peaks8(previousLow, currentLow, low, limit),
                                                         peaks8(previousHigh, currentHigh, high, limit)));
  *beforeLast = _mm_extract_epi16(high, 6);
  *last = _mm_extract_epi16(high, 7);
  if (bits != 0) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(strengthsOut), currentLow);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(strengthsOut + 8), currentHigh);
  }
  return bits;
}
#endif

// Scans window row r over columns [first, last) and hands each seed to store, which
// returns false to stop the scan. Sixteen positions are tested at a time where SSE2 is
// there; the rest of the row goes one position at a time.
template <class Store>
void scanRow(const cimg_windowConst& window, int32_t r, int32_t first, int32_t last,
             int32_t s2Start, int32_t threshold, int32_t scanIndex, Store store) {
  const uint8_t* row = windowRow(window, r);
  ccEdgePeak peak(s2Start);
  int32_t x = first;
#ifdef __SSE2__
  int32_t beforeLast = s2Start, lastStrength = 0;
  for (; x + block <= last; x += block) {
    int16_t strengths[16];
    for (int32_t bits = peaks16(row, x, threshold, &beforeLast, &lastStrength, strengths); bits;
         bits &= bits - 1) {
      const int32_t k = __builtin_ctz(uint32_t(bits));
      if (!store(cid2d_rowSeed(row, x + k, r, strengths[k], scanIndex))) return;
    }
  }
  peak.resume(beforeLast, lastStrength);
#endif
  if (x >= last) return;
  for (ccRowStrength strength(row, x); x < last; strength.advance(x), ++x) {
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
