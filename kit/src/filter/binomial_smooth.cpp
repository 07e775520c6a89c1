// The separable binomial smoother behind the kit's Gaussian filters.
//
// Each source row a result row needs is filtered along x once into a ring of row buffers
// (one slot per kernel row); each result row is then the weighted sum of the ring's rows.
// Sums are exact: a row sum of kernel n stays below 255 * 4^n, a full sum below
// 255 * 4^(nx + ny). The common case (every column kept, nx <= 4, gain 1) runs in SSE2:
// row sums in 16-bit lanes (below 65536 for nx <= 4), column sums in 16-bit lanes while
// the full sum fits them and in 32-bit lanes through pmaddwd otherwise. Rows kept at every
// second column (sub-sampling by 2) take the same path, their row sums formed from the even
// and odd pixels apart. Every other case, and every build without SSE2, takes the plain
// loop, which gives the same bytes.
#include <string.h>

#include <algorithm>

#include "internal.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr int32_t maxTaps = 2 * CS_GAUSS_MAX_SIZE + 1;
constexpr uint64_t unitGain = 65536;

// C(taps - 1, d) for d < taps.
void binomialWeights(int32_t taps, uint32_t* weights) {
  weights[0] = 1;
  for (int32_t d = 1; d < taps; ++d) weights[d] = weights[d - 1] * uint32_t(taps - d) / uint32_t(d);
}

// The weights of a kernel sum to 2^(taps - 1).
int32_t log2Total(int32_t taps) {
  return taps - 1;
}

// The source pixels one row of kept pixels reads: span pixels from window column start,
// the ones outside the window replaced by the border pixels.
const uint8_t* spanOfRow(const uint8_t* row, int32_t width, int32_t start, int32_t span,
                         uint8_t* padded) {
  if (start >= 0 && start + span <= width) return row + start;
  // Columns [inFrom, inTo) of the span lie inside the row (width >= 1 keeps inFrom <= inTo).
  const int32_t inFrom = std::clamp(-start, 0, span), inTo = std::clamp(width - start, 0, span);
  memset(padded, row[0], size_t(inFrom));
  if (inTo > inFrom) memcpy(padded + inFrom, row + start + inFrom, size_t(inTo - inFrom));
  memset(padded + inTo, row[width - 1], size_t(span - inTo));
  return padded;
}

// ---------------------------------------------------------------------------------------
// The plain loops: 32-bit row sums, 64-bit column sums, any step and gain.

void rowSums32(const uint8_t* p, const cip_filterAxis& x, const uint32_t* w, uint32_t* out) {
  for (int32_t i = 0; i < x.count; ++i, p += x.step) {
    uint32_t sum = 0;
    for (int32_t d = 0; d < x.taps; ++d) sum += w[d] * p[d];
    out[i] = sum;
  }
}

void columnSums32(const uint32_t* const* rows, int32_t taps, const uint32_t* w, int32_t count,
                  uint64_t gain16, int32_t shift, bool round, uint8_t* out) {
  const unsigned __int128 bias = round ? (unsigned __int128)1 << (shift + 15) : 0;
  for (int32_t i = 0; i < count; ++i) {
    uint64_t sum = 0;
    for (int32_t d = 0; d < taps; ++d) sum += uint64_t{w[d]} * rows[d][i];
    const unsigned __int128 scaled = ((unsigned __int128)sum * gain16 + bias) >> (shift + 16);
    out[i] = uint8_t(scaled > 255 ? 255 : scaled);
  }
}

// ---------------------------------------------------------------------------------------
// The SSE2 loops, kernels unrolled by template: 16-bit row sums, then 16-bit or 32-bit
// column sums; the scalar tails compute the same sums.

#ifdef __SSE2__

__m128i load16(const void* p) {
  return _mm_loadu_si128(static_cast<const __m128i*>(p));
}
void store16(void* p, __m128i v) {
  _mm_storeu_si128(static_cast<__m128i*>(p), v);
}

// The kernel loops below run over compile-time counts and are written out in full
// (#pragma GCC unroll), so that the weights and row pointers stay in registers.

// Row sums of kernel 2N + 1 with symmetric weights w: pixel pairs p[d] + p[2N - d] are
// added before they are weighted.
template <int N>
void rowSums16(const uint8_t* p, int32_t count, const uint32_t* w, uint16_t* out) {
  const __m128i zero = _mm_setzero_si128();
  __m128i weight[N + 1];
#pragma GCC unroll 16
  for (int d = 0; d <= N; ++d) weight[d] = _mm_set1_epi16(int16_t(w[d]));
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i c = load16(p + i + N);
    __m128i lo = _mm_mullo_epi16(_mm_unpacklo_epi8(c, zero), weight[N]);
    __m128i hi = _mm_mullo_epi16(_mm_unpackhi_epi8(c, zero), weight[N]);
#pragma GCC unroll 16
    for (int d = 0; d < N; ++d) {
      const __m128i a = load16(p + i + d), b = load16(p + i + 2 * N - d);
      const __m128i pairLo = _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
      const __m128i pairHi = _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
      lo = _mm_add_epi16(lo, _mm_mullo_epi16(pairLo, weight[d]));
      hi = _mm_add_epi16(hi, _mm_mullo_epi16(pairHi, weight[d]));
    }
    store16(out + i, lo);
    store16(out + i + 8, hi);
  }
  for (; i < count; ++i) {
    uint32_t sum = 0;
    for (int d = 0; d <= 2 * N; ++d) sum += w[d] * p[i + d];
    out[i] = uint16_t(sum);
  }
}

// The same sums for kernels placed at every second pixel: kept pixel i reads p[2i + d]. In
// 16-bit lanes, 16 bytes from p + 2i + 2m hold the pixels of taps 2m (low bytes) and 2m + 1
// (high bytes) of kept pixels i .. i + 7. The last load reaches one byte past those taps,
// so the vector loop stops one kept pixel early.
template <int N>
void rowSumsHalved16(const uint8_t* p, int32_t count, const uint32_t* w, uint16_t* out) {
  const __m128i lowBytes = _mm_set1_epi16(0xff);
  __m128i weight[N + 1];
#pragma GCC unroll 16
  for (int d = 0; d <= N; ++d) weight[d] = _mm_set1_epi16(int16_t(w[d]));
  int32_t i = 0;
  for (; i + 9 <= count; i += 8) {
    __m128i tap[2 * N + 2];
#pragma GCC unroll 16
    for (int m = 0; m <= N; ++m) {
      const __m128i pairs = load16(p + 2 * i + 2 * m);
      tap[2 * m] = _mm_and_si128(pairs, lowBytes);
      tap[2 * m + 1] = _mm_srli_epi16(pairs, 8);
    }
    __m128i sum = _mm_mullo_epi16(tap[N], weight[N]);
#pragma GCC unroll 16
    for (int d = 0; d < N; ++d)
      sum = _mm_add_epi16(sum, _mm_mullo_epi16(_mm_add_epi16(tap[d], tap[2 * N - d]), weight[d]));
    store16(out + i, sum);
  }
  for (; i < count; ++i) {
    uint32_t sum = 0;
    for (int d = 0; d <= 2 * N; ++d) sum += w[d] * p[2 * i + d];
    out[i] = uint16_t(sum);
  }
}

// Column sums of kernel 2N + 1 whose totals stay below 65536: (sum + bias) >> shift. The
// row pointers are copied to locals, which the byte stores cannot alias.
template <int N>
void columnSums16(const uint16_t* const* rows, int32_t count, const uint32_t* w, int32_t shift,
                  uint32_t bias, uint8_t* out) {
  const uint16_t* row[2 * N + 1];
  __m128i weight[N + 1];
#pragma GCC unroll 32
  for (int d = 0; d <= 2 * N; ++d) row[d] = rows[d];
#pragma GCC unroll 16
  for (int d = 0; d <= N; ++d) weight[d] = _mm_set1_epi16(int16_t(w[d]));
  const __m128i biasLanes = _mm_set1_epi16(int16_t(bias)), count128 = _mm_cvtsi32_si128(shift);
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    __m128i half[2];
#pragma GCC unroll 2
    for (int h = 0; h < 2; ++h) {
      const int32_t at = i + 8 * h;
      __m128i sum = _mm_mullo_epi16(load16(row[N] + at), weight[N]);
#pragma GCC unroll 16
      for (int d = 0; d < N; ++d) {
        const __m128i pair = _mm_add_epi16(load16(row[d] + at), load16(row[2 * N - d] + at));
        sum = _mm_add_epi16(sum, _mm_mullo_epi16(pair, weight[d]));
      }
      half[h] = _mm_srl_epi16(_mm_add_epi16(sum, biasLanes), count128);
    }
    store16(out + i, _mm_packus_epi16(half[0], half[1]));
  }
  for (; i < count; ++i) {
    uint32_t sum = 0;
    for (int d = 0; d <= 2 * N; ++d) sum += w[d] * row[d][i];
    out[i] = uint8_t((sum + bias) >> shift);
  }
}

// Column sums of kernel 2N + 1 in 32-bit lanes through pmaddwd, which multiplies signed
// words in pairs. Row sums below 16384 (row kernels up to 7 taps) are added in symmetric
// pairs first and the pair sums weighted two at a time. Larger row sums enter alone, with
// 32768 subtracted, and the weights' total times 32768 is added back; the arithmetic is
// modulo 2^32, where the true sum lies.
template <int N, bool LargeRows>
void columnSums32Sse2(const uint16_t* const* rows, int32_t count, const uint32_t* w, int32_t shift,
                      uint32_t bias, uint8_t* out) {
  // Each pmaddwd takes two terms: the symmetric pairs (d, 2N - d) of large rows, or two
  // pair sums (the centre row is the last term).
  constexpr int groups = LargeRows ? N + 1 : (N + 2) / 2;
  const uint16_t* row[2 * N + 1];
  __m128i groupWeight[groups];
#pragma GCC unroll 32
  for (int d = 0; d <= 2 * N; ++d) row[d] = rows[d];
#pragma GCC unroll 16
  for (int g = 0; g < groups; ++g) {
    const int first = LargeRows ? g : 2 * g, second = LargeRows ? g : 2 * g + 1;
    const uint32_t high = (LargeRows ? g < N : second <= N) ? w[second] : 0;
    groupWeight[g] = _mm_set1_epi32(int32_t(w[first] | high << 16));
  }
  const uint32_t restore = (LargeRows ? uint32_t(32768) << (2 * N) : 0) + bias;
  const __m128i restoreLanes = _mm_set1_epi32(int32_t(restore));
  const __m128i sign = _mm_set1_epi16(int16_t(0x8000)), zero = _mm_setzero_si128();
  const __m128i count128 = _mm_cvtsi32_si128(shift);
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    __m128i half[2];
#pragma GCC unroll 2
    for (int h = 0; h < 2; ++h) {
      const int32_t at = i + 8 * h;
      // The two terms of each group.
      __m128i a[groups], b[groups];
      if constexpr (LargeRows) {
#pragma GCC unroll 16
        for (int d = 0; d <= N; ++d) {
          a[d] = _mm_xor_si128(load16(row[d] + at), sign);
          b[d] = d < N ? _mm_xor_si128(load16(row[2 * N - d] + at), sign) : zero;
        }
      } else {
        __m128i term[N + 2];
#pragma GCC unroll 16
        for (int d = 0; d < N; ++d)
          term[d] = _mm_add_epi16(load16(row[d] + at), load16(row[2 * N - d] + at));
        term[N] = load16(row[N] + at);
        term[N + 1] = zero;
#pragma GCC unroll 16
        for (int g = 0; g < groups; ++g) {
          a[g] = term[2 * g];
          b[g] = term[2 * g + 1];
        }
      }
      __m128i lo = restoreLanes, hi = restoreLanes;
#pragma GCC unroll 16
      for (int g = 0; g < groups; ++g) {
        lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(a[g], b[g]), groupWeight[g]));
        hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(a[g], b[g]), groupWeight[g]));
      }
      // Every value is at most 255 after the shift.
      half[h] = _mm_packs_epi32(_mm_srl_epi32(lo, count128), _mm_srl_epi32(hi, count128));
    }
    store16(out + i, _mm_packus_epi16(half[0], half[1]));
  }
  for (; i < count; ++i) {
    uint32_t sum = 0;
    for (int d = 0; d <= 2 * N; ++d) sum += w[d] * row[d][i];
    out[i] = uint8_t((sum + bias) >> shift);
  }
}

using rowSums16Fn = void (*)(const uint8_t*, int32_t, const uint32_t*, uint16_t*);
using columnSums16Fn = void (*)(const uint16_t* const*, int32_t, const uint32_t*, int32_t, uint32_t,
                                uint8_t*);

// The row sums of kernel 2n + 1 at every pixel (step 1) or every second one (step 2).
rowSums16Fn rowSums16For(int32_t n, int32_t step) {
  static constexpr rowSums16Fn kernels[2][5] = {
      {&rowSums16<0>, &rowSums16<1>, &rowSums16<2>, &rowSums16<3>, &rowSums16<4>},
      {&rowSumsHalved16<0>, &rowSumsHalved16<1>, &rowSumsHalved16<2>, &rowSumsHalved16<3>,
       &rowSumsHalved16<4>}};
  return kernels[step - 1][n];
}

// The column sums of kernel 2n + 1: 16-bit lanes when the totals fit them, else 32-bit
// lanes, taking the row sums of 9-tap row kernels (up to 65280) alone.
columnSums16Fn columnSumsFor(int32_t n, bool narrow, bool largeRows) {
  static constexpr columnSums16Fn narrowKernels[] = {
      &columnSums16<0>, &columnSums16<1>, &columnSums16<2>, &columnSums16<3>, &columnSums16<4>};
  static constexpr columnSums16Fn wideKernels[2][9] = {
      {&columnSums32Sse2<0, false>, &columnSums32Sse2<1, false>, &columnSums32Sse2<2, false>,
       &columnSums32Sse2<3, false>, &columnSums32Sse2<4, false>, &columnSums32Sse2<5, false>,
       &columnSums32Sse2<6, false>, &columnSums32Sse2<7, false>, &columnSums32Sse2<8, false>},
      {&columnSums32Sse2<0, true>, &columnSums32Sse2<1, true>, &columnSums32Sse2<2, true>,
       &columnSums32Sse2<3, true>, &columnSums32Sse2<4, true>, &columnSums32Sse2<5, true>,
       &columnSums32Sse2<6, true>, &columnSums32Sse2<7, true>, &columnSums32Sse2<8, true>}};
  return narrow ? narrowKernels[n] : wideKernels[largeRows][n];
}

// Sizes the SSE2 loops take: every column or every second one kept, row sums in 16 bits,
// column sums in 32.
bool fastPath(const cip_filterAxis& x, const cip_filterAxis& y, uint64_t gain16) {
  return x.step <= 2 && x.taps <= 9 && y.taps <= 17 && gain16 == unitGain;
}

#endif

// The ring of row sums: slot r % taps holds source row r's sums once computed.
class rowRing {
 public:
  rowRing(uint8_t* memory, int32_t taps, size_t slotBytes)
      : memory_(memory), taps_(taps), slotBytes_(slotBytes) {
    for (int32_t s = 0; s < taps; ++s) rowOf_[s] = -1;
  }
  // The slot of row r and whether it holds that row already; the slot is marked as r's.
  void* slot(int32_t r, bool* filled) {
    const int32_t s = r % taps_;
    *filled = rowOf_[s] == r;
    rowOf_[s] = r;
    return memory_ + size_t(s) * slotBytes_;
  }

 private:
  uint8_t* memory_;
  int32_t taps_;
  size_t slotBytes_;
  int32_t rowOf_[maxTaps];
};

}  // namespace

int32_t cip_binomialSmooth8(const cimg_windowConst& source, const cimg_window& destination,
                            const cip_filterAxis& x, const cip_filterAxis& y, uint64_t gain16,
                            bool round) {
  if (x.count <= 0 || y.count <= 0) return 0;
  uint32_t wx[maxTaps], wy[maxTaps];
  binomialWeights(x.taps, wx);
  binomialWeights(y.taps, wy);
  const int32_t shift = log2Total(x.taps) + log2Total(y.taps);
#ifdef __SSE2__
  const bool fast = fastPath(x, y, gain16);
#else
  const bool fast = false;
#endif
  const int32_t span = (x.count - 1) * x.step + x.taps;
  const size_t slotBytes = (size_t(x.count) * (fast ? 2 : 4) + 63) & ~size_t(63);
  const size_t paddedBytes = (size_t(span) + 63) & ~size_t(63);
  void* block = nullptr;
  if (const int32_t status =
          csys_memory_allocFastMem_internal(paddedBytes + slotBytes * size_t(y.taps), &block);
      status < 0)
    return status;
  uint8_t* padded = static_cast<uint8_t*>(block);
  rowRing ring(padded + paddedBytes, y.taps, slotBytes);

  // The kernel's rows for the current result row, as 16-bit (SSE2 loops) or 32-bit sums.
  const uint16_t* rows16[maxTaps];
  const uint32_t* rows32[maxTaps];
  for (int32_t j = 0; j < y.count; ++j) {
    const int32_t top = y.start + j * y.step;
    for (int32_t d = 0; d < y.taps; ++d) {
      const int32_t r = std::clamp(top + d, 0, source.height - 1);
      bool filled = false;
      void* sums = ring.slot(r, &filled);
      rows16[d] = static_cast<const uint16_t*>(sums);
      rows32[d] = static_cast<const uint32_t*>(sums);
      if (filled) continue;
      const uint8_t* p =
          spanOfRow(cimg_windowConst_row<uint8_t>(&source, r), source.width, x.start, span, padded);
#ifdef __SSE2__
      if (fast) {
        rowSums16For(x.taps / 2, x.step)(p, x.count, wx, static_cast<uint16_t*>(sums));
        continue;
      }
#endif
      rowSums32(p, x, wx, static_cast<uint32_t*>(sums));
    }
    uint8_t* out = cimg_window_row<uint8_t>(&destination, j);
#ifdef __SSE2__
    if (fast) {
      const uint32_t bias = round && shift > 0 ? uint32_t(1) << (shift - 1) : 0;
      columnSumsFor(y.taps / 2, shift <= 8, x.taps == 9)(rows16, x.count, wy, shift, bias, out);
      continue;
    }
#endif
    columnSums32(rows32, y.taps, wy, x.count, gain16, shift, round, out);
  }
  return csys_memory_free_internal(&block);
}
