// The SSE2 inner loops of the ID edge detector. The pair indices of sixteen columns are
// formed in 16-bit lanes, exact for both operators, and the looked-up codes are gathered
// eight to a word, since single byte stores would cost more than the lookups. The two output
// rows of a pair share the loads of their common source rows (one in the 2x2 mode, two in
// the 3x3 mode, with those rows' column sums). The 3x3 mode turns sixteen codes by 32 in
// one register.
#ifdef __SSE2__
#include "id/idut/edge/id_edge_simd_rows.h"

#include <emmintrin.h>
#include <string.h>

#include "id/idut/edge/id_edge_gradient.h"

// The helpers are register work that -O2 would otherwise call out of line.
#define CIDUT_SIMD_INLINE [[gnu::always_inline]] inline

namespace {

CIDUT_SIMD_INLINE __m128i load16(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// The low or high eight bytes as 16-bit lanes.
CIDUT_SIMD_INLINE __m128i widen(__m128i x, bool high) {
  const __m128i zero = _mm_setzero_si128();
  return high ? _mm_unpackhi_epi8(x, zero) : _mm_unpacklo_epi8(x, zero);
}

// The indices a << 8 | b of sixteen columns from their components in 16-bit lanes (columns
// 0-7 in low, 8-15 in high). Components fit a signed byte, so packing is exact.
CIDUT_SIMD_INLINE void storeIndices(__m128i aLow, __m128i aHigh, __m128i bLow, __m128i bHigh,
                                    uint16_t* k) {
  const __m128i a = _mm_packs_epi16(aLow, aHigh);
  const __m128i b = _mm_packs_epi16(bLow, bHigh);
  _mm_store_si128(reinterpret_cast<__m128i*>(k), _mm_unpacklo_epi8(b, a));
  _mm_store_si128(reinterpret_cast<__m128i*>(k + 8), _mm_unpackhi_epi8(b, a));
}

// The codes of k[0..7], byte i of the word the code of k[i]: stored little-endian, the word
// is the eight codes in column order. Spelled out, so that the loads issue together.
CIDUT_SIMD_INLINE uint64_t codeWord(const uint16_t* k, const uint8_t* codes) {
  return uint64_t(codes[k[0]]) | uint64_t(codes[k[1]]) << 8 | uint64_t(codes[k[2]]) << 16 |
         uint64_t(codes[k[3]]) << 24 | uint64_t(codes[k[4]]) << 32 | uint64_t(codes[k[5]]) << 40 |
         uint64_t(codes[k[6]]) << 48 | uint64_t(codes[k[7]]) << 56;
}

// (x - y) >> 1 of the low or high eight bytes, as 16-bit lanes.
CIDUT_SIMD_INLINE __m128i halfDifference(__m128i x, __m128i y, bool high) {
  return _mm_srai_epi16(_mm_sub_epi16(widen(x, high), widen(y, high)), 1);
}

// 2x2 pair indices of sixteen columns of one output row: a = (p1 - q0) >> 1 and
// b = (q1 - p0) >> 1, with p the row and q the one below, 0 at the column and 1 right of it.
CIDUT_SIMD_INLINE void pairIndices2x2(__m128i p0, __m128i p1, __m128i q0, __m128i q1, uint16_t* k) {
  storeIndices(halfDifference(p1, q0, false), halfDifference(p1, q0, true),
               halfDifference(q1, p0, false), halfDifference(q1, p0, true), k);
}

// Sixteen columns of one source row, loaded one left of, at and one right of each column.
struct rowColumns {
  __m128i left, centre, right;
  explicit rowColumns(const uint8_t* p)
      : left(load16(p - 1)), centre(load16(p)), right(load16(p + 1)) {}
};

// The two components of eight columns in 16-bit lanes.
struct pairLanes {
  __m128i a, b;
};

// 3x3 components of the low or high eight of sixteen columns: the Sobel x and y responses of
// the rows above, at and below, shifted right by 3. Responses lie in [-1020, 1020], so
// 16-bit lanes hold them.
CIDUT_SIMD_INLINE pairLanes sobelHalf(const rowColumns& up, const rowColumns& at,
                                      const rowColumns& down, bool high) {
  auto columnDifference = [high](const rowColumns& r) {
    return _mm_sub_epi16(widen(r.right, high), widen(r.left, high));
  };
  auto smoothed = [high](const rowColumns& r) {  // left + 2 centre + right
    const __m128i centre = widen(r.centre, high);
    return _mm_add_epi16(_mm_add_epi16(widen(r.left, high), widen(r.right, high)),
                         _mm_add_epi16(centre, centre));
  };
  const __m128i middle = columnDifference(at);
  const __m128i sobelX = _mm_add_epi16(_mm_add_epi16(columnDifference(up), columnDifference(down)),
                                       _mm_add_epi16(middle, middle));
  const __m128i sobelY = _mm_sub_epi16(smoothed(down), smoothed(up));
  return {_mm_srai_epi16(sobelX, 3), _mm_srai_epi16(sobelY, 3)};
}

// 3x3 pair indices of sixteen columns.
CIDUT_SIMD_INLINE void sobelIndices(const rowColumns& up, const rowColumns& at,
                                    const rowColumns& down, uint16_t* k) {
  const pairLanes low = sobelHalf(up, at, down, false), high = sobelHalf(up, at, down, true);
  storeIndices(low.a, high.a, low.b, high.b, k);
}

// The codes of sixteen indices of each row into out0 and out1; the two rows interleaved,
// so that their loads overlap.
CIDUT_SIMD_INLINE void lookUp16(const uint16_t* k0, const uint16_t* k1, const uint8_t* codes,
                                uint8_t* out0, uint8_t* out1) {
  for (int32_t half = 0; half < 16; half += 8) {
    const uint64_t word0 = codeWord(k0 + half, codes), word1 = codeWord(k1 + half, codes);
    memcpy(out0 + half, &word0, sizeof word0);
    memcpy(out1 + half, &word1, sizeof word1);
  }
}

// The codes of sixteen indices turned by the 3x3 shift into out: +32 modulo 256 on every
// byte but 0xFF (no edge), which the compare puts back.
CIDUT_SIMD_INLINE void lookUpShifted16(const uint16_t* k, const uint8_t* codes, uint8_t* out) {
  const __m128i v = _mm_set_epi64x(int64_t(codeWord(k + 8, codes)), int64_t(codeWord(k, codes)));
  const __m128i shifted = _mm_add_epi8(v, _mm_set1_epi8(char(cidut_edgeIDShift3x3)));
  const __m128i none = _mm_cmpeq_epi8(v, _mm_set1_epi8(char(0xFF)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(shifted, none));
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
    pairIndices2x2(load16(top + x), load16(top + x + 1), m0, m1, k0);
    pairIndices2x2(m0, m1, load16(bottom + x), load16(bottom + x + 1), k1);
    lookUp16(k0, k1, codes, out0 + x, out1 + x);
  }
  for (; x < width; ++x) {
    out0[x] = codes[cidut_edgeIDIndex2x2(top + x, sourceStride)];
    out1[x] = codes[cidut_edgeIDIndex2x2(middle + x, sourceStride)];
  }
}

void cidut_edgeIDRowPair3x3(const uint8_t* row, ptrdiff_t sourceStride, uint8_t* out0,
                            uint8_t* out1, int32_t width, const uint8_t* codes) {
  alignas(16) uint16_t k0[16], k1[16];
  int32_t x = 0;
  for (; x + 16 <= width; x += 16) {  // loads from column x - 1 >= -1 to x + 16 <= width
    const uint8_t* p = row + x;
    const rowColumns up(p - sourceStride), first(p), second(p + sourceStride),
        down(p + 2 * sourceStride);
    sobelIndices(up, first, second, k0);
    sobelIndices(first, second, down, k1);
    lookUpShifted16(k0, codes, out0 + x);
    lookUpShifted16(k1, codes, out1 + x);
  }
  auto code = [&](const uint8_t* p) {
    return cidut_edgeIDShiftCode(codes[cidut_edgeIDIndex3x3(p, sourceStride)],
                                 cidut_edgeIDShift3x3);
  };
  for (; x < width; ++x) {
    out0[x] = code(row + x);
    out1[x] = code(row + sourceStride + x);
  }
}
#endif
