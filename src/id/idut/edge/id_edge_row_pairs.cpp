// The accelerated row-pair loop of the ID edge detector's 2x2 mode. The two output rows of
// a pair share the middle source row's loads; the pair indices of sixteen columns are
// formed in SSE2 registers, and the looked-up codes are gathered eight to a word, since
// single byte stores would cost more than the lookups.
#ifdef __SSE2__
#include "id/idut/edge/id_edge_row_pairs.h"

#include <emmintrin.h>
#include <string.h>

#include "id/idut/edge/id_edge_gradient.h"

namespace {

__m128i load16(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// (x - y) >> 1 of the low or high eight bytes, as 16-bit lanes.
__m128i halfDifference(__m128i x, __m128i y, bool high) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i wideX = high ? _mm_unpackhi_epi8(x, zero) : _mm_unpacklo_epi8(x, zero);
  const __m128i wideY = high ? _mm_unpackhi_epi8(y, zero) : _mm_unpacklo_epi8(y, zero);
  return _mm_srai_epi16(_mm_sub_epi16(wideX, wideY), 1);
}

// Pair indices of sixteen columns of one output row: a = (p1 - q0) >> 1 and
// b = (q1 - p0) >> 1, with p the row and q the one below, 0 at the column and 1 right of it.
// Both fit a signed byte, so packing is exact; index = a << 8 | b.
void pairIndices(__m128i p0, __m128i p1, __m128i q0, __m128i q1, uint16_t* k) {
  const __m128i a = _mm_packs_epi16(halfDifference(p1, q0, false), halfDifference(p1, q0, true));
  const __m128i b = _mm_packs_epi16(halfDifference(q1, p0, false), halfDifference(q1, p0, true));
  _mm_store_si128(reinterpret_cast<__m128i*>(k), _mm_unpacklo_epi8(b, a));
  _mm_store_si128(reinterpret_cast<__m128i*>(k + 8), _mm_unpackhi_epi8(b, a));
}

// The codes of sixteen indices of each row into out0 and out1; the two rows interleaved,
// so that their loads overlap.
void lookUp16(const uint16_t* k0, const uint16_t* k1, const uint8_t* codes, uint8_t* out0,
              uint8_t* out1) {
  for (int32_t half = 0; half < 16; half += 8) {
    uint64_t word0 = 0, word1 = 0;
    for (int32_t i = 7; i >= 0; --i) {
      word0 = word0 << 8 | codes[k0[half + i]];
      word1 = word1 << 8 | codes[k1[half + i]];
    }
    memcpy(out0 + half, &word0, sizeof word0);  // little-endian: byte i is column half + i
    memcpy(out1 + half, &word1, sizeof word1);
  }
}

}  // namespace

void cidut_edgeIDRowPair2x2(const uint8_t* top, ptrdiff_t sourceStride, uint8_t* out0,
                            uint8_t* out1, int32_t width, const uint8_t* codes) {
  const uint8_t* middle = top + sourceStride;
  const uint8_t* bottom = middle + sourceStride;
  alignas(16) uint16_t k0[16], k1[16];
  int32_t x = 0;
  for (; x + 16 <= width; x += 16) {  // the loads at x + 1 reach column x + 16 <= width
    const __m128i m0 = load16(middle + x), m1 = load16(middle + x + 1);
    pairIndices(load16(top + x), load16(top + x + 1), m0, m1, k0);
    pairIndices(m0, m1, load16(bottom + x), load16(bottom + x + 1), k1);
    lookUp16(k0, k1, codes, out0 + x, out1 + x);
  }
  for (; x < width; ++x) {
    out0[x] = codes[cidut_edgeIDIndex2x2(top + x, sourceStride)];
    out1[x] = codes[cidut_edgeIDIndex2x2(middle + x, sourceStride)];
  }
}
#endif
