// Radix-2 complex FFT kernels: in place on interleaved (re, im) values, forward sign,
// unnormalised, in double or in 32-bit fixed point, up to 1024 points.
//
// Decimation in time: a bit-reversal permutation, then butterfly stages of span m = 2^k,
// k = 0..9. Stage k's rotating factor starts at 1 and is stepped once per offset within
// the span by complex multiplication with (cos, -sin) of pi / 2^k, taken from the tables
// below as they are stored (six significant digits; Q16). The factors of every stage are
// made once, at compile time, by exactly that stepping.
#pragma once

#include <math.h>
#include <stddef.h>
#include <stdint.h>

#include <algorithm>
#include <array>
#include <bit>

#include "kit/image.h"
#include "kit/math.h"

inline constexpr int32_t CIDUT_FFT_MAX_POINTS = 1024;

inline constexpr double cidut_fftSine[10] = {1.22461e-16, 1.0,       0.707107,  0.382683,
                                             0.19509,     0.0980171, 0.0490677, 0.0245412,
                                             0.0122715,   0.00613588};
inline constexpr double cidut_fftCosine[10] = {-1.0,     6.12303e-17, 0.707107, 0.92388,
                                               0.980785, 0.995185,    0.998795, 0.999699,
                                               0.999925, 0.999981};
inline constexpr int32_t cidut_fftSineQ16[10] = {0, 65536, 46341, 25080, 12785,
                                                 6424, 3216, 1608, 804, 402};
inline constexpr int32_t cidut_fftCosineQ16[10] = {-65536, 0, 46341, 60547, 64277,
                                                   65220, 65457, 65516, 65531, 65535};

// Double arithmetic, output pixels of type double.
struct ccFftDouble {
  using value = double;
  static constexpr int32_t pixelType = CIMG_TYPE_DOUBLE;
  static constexpr value one = 1.0;

  // w = w * (cos, -sin) of stage k.
  static constexpr void step(value& wr, value& wi, int32_t k) {
    const double pr = cidut_fftCosine[k], pi = -cidut_fftSine[k];
    const double r = wr * pr - wi * pi;
    wi = wr * pi + wi * pr;
    wr = r;
  }
  // t = w * b.
  static void multiply(value wr, value wi, value br, value bi, value& tr, value& ti) {
    tr = wr * br - wi * bi;
    ti = wr * bi + wi * br;
  }
  static value magnitude(value re, value im) { return sqrt(re * re + im * im); }
  static value power(value re, value im) { return re * re + im * im; }
  static value logPower(value re, value im) { return log(re * re + im * im + 1e-10); }
};

// Fixed point: data in pixel units, rotating factors in Q12 (4096 = 1) stepped with the
// Q16 tables. Products of data and factor (up to 2^12 times 255 x 1024 x 1024) are taken
// in 64 bits and shifted back by 12; the results fit 32 bits.
struct ccFftQ12 {
  using value = int32_t;
  static constexpr int32_t pixelType = CIMG_TYPE_32;
  static constexpr value one = 4096;

  static constexpr void step(value& wr, value& wi, int32_t k) {
    const int32_t pr = cidut_fftCosineQ16[k], pi = -cidut_fftSineQ16[k];
    const int32_t r = (wr * pr - wi * pi) >> 16;
    wi = (wr * pi + wi * pr) >> 16;
    wr = r;
  }
  static void multiply(value wr, value wi, value br, value bi, value& tr, value& ti) {
    tr = int32_t((int64_t{wr} * br - int64_t{wi} * bi) >> 12);
    ti = int32_t((int64_t{wr} * bi + int64_t{wi} * br) >> 12);
  }
  // re^2 + im^2 in unsigned 32-bit arithmetic (wraps for large bins).
  static uint32_t squares(value re, value im) {
    return uint32_t(re) * uint32_t(re) + uint32_t(im) * uint32_t(im);
  }
  static value magnitude(value re, value im) {
    return int32_t(cmath_sqrt32(squares(re, im)) & 0xFFFFu);
  }
  static value power(value re, value im) { return int32_t(squares(re, im)); }
  static value logPower(value re, value im) {
    return cmath_double_round(log(double(squares(re, im)) + 1e-10));
  }
};

// The rotating factors of every stage: offset j of the stage of span m (1 <= m <= 512,
// j < m) has its factor at w[2 (m + j)], w[2 (m + j) + 1].
template <class A>
struct ccFftTwiddles {
  typename A::value w[2 * CIDUT_FFT_MAX_POINTS];
};

template <class A>
constexpr ccFftTwiddles<A> cidut_fftMakeTwiddles() {
  ccFftTwiddles<A> table{};
  for (int32_t k = 0, m = 1; m < CIDUT_FFT_MAX_POINTS; ++k, m *= 2) {
    typename A::value wr = A::one, wi = 0;
    for (int32_t j = 0; j < m; ++j) {
      table.w[2 * (m + j)] = wr;
      table.w[2 * (m + j) + 1] = wi;
      A::step(wr, wi, k);
    }
  }
  return table;
}

template <class A>
inline constexpr ccFftTwiddles<A> cidut_fftTwiddles = cidut_fftMakeTwiddles<A>();

inline constexpr std::array<uint8_t, 256> cidut_fftByteReversal = [] {
  std::array<uint8_t, 256> table{};
  for (int32_t i = 0; i < 256; ++i) {
    for (int32_t b = 0; b < 8; ++b) table[i] |= uint8_t(((i >> b) & 1) << (7 - b));
  }
  return table;
}();

// i (below 2^16) with its low `bits` bits (1..16) reversed.
inline int32_t cidut_fftReverseBits(int32_t i, int32_t bits) {
  const int32_t reversed16 =
      (cidut_fftByteReversal[i & 0xFF] << 8) | cidut_fftByteReversal[(i >> 8) & 0xFF];
  return reversed16 >> (16 - bits);
}

inline int32_t cidut_fftLog2(int32_t n) {
  return std::countr_zero(uint32_t(n));
}

// lo, hi = lo + w hi, lo - w hi.
template <class A>
inline void cidut_fftButterfly(typename A::value* lo, typename A::value* hi,
                               typename A::value wr, typename A::value wi) {
  typename A::value tr, ti;
  A::multiply(wr, wi, hi[0], hi[1], tr, ti);
  const typename A::value ar = lo[0], ai = lo[1];
  hi[0] = ar - tr;
  hi[1] = ai - ti;
  lo[0] = ar + tr;
  lo[1] = ai + ti;
}

// The FFT of n pixels (n a power of two, 2..1024) taken as complex values (x, 0), into
// row (2n values). The bit-reversal permutation and the first stage are done together:
// that stage's factor is exactly 1 and its inputs are real, so its butterflies reduce
// to sums and differences of pixel pairs, with the same results.
template <class A>
void cidut_fftPixels(const uint8_t* pixels, int32_t n, typename A::value* row) {
  const int32_t bits = cidut_fftLog2(n), half = n / 2;
  for (int32_t i = 0; i < half; ++i) {
    // Positions 2i and 2i + 1 receive the pixels at the reversed indices j and j + n/2.
    const int32_t j = cidut_fftReverseBits(2 * i, bits);
    const typename A::value a = pixels[j], b = pixels[j + half];
    row[4 * i] = a + b;
    row[4 * i + 1] = 0;
    row[4 * i + 2] = a - b;
    row[4 * i + 3] = 0;
  }
  const typename A::value* w = cidut_fftTwiddles<A>.w;
  for (int32_t m = 2; m < n; m *= 2) {
    const typename A::value* f = w + 2 * m;
    for (int32_t i = 0; i < n; i += 2 * m) {
      typename A::value* lo = row + 2 * i;
      typename A::value* hi = lo + 2 * m;
      for (int32_t j = 0; j < 2 * m; j += 2) cidut_fftButterfly<A>(lo + j, hi + j, f[j], f[j + 1]);
    }
  }
}

// The FFT down each of the width columns of n rows of complex values (n a power of two,
// 1..1024), rows `stride` values apart. Rows are handled as vectors, so every pass runs
// along memory, strip by strip of columns small enough to stay in cache for all stages.
template <class A>
void cidut_fftColumns(typename A::value* a, ptrdiff_t stride, int32_t n, int32_t width) {
  constexpr int32_t stripBytes = 256 * 1024;
  const int32_t bits = cidut_fftLog2(n);
  const int32_t strip = std::min(
      width, std::max<int32_t>(8, stripBytes / int32_t(2 * sizeof(typename A::value)) / n));
  const typename A::value* w = cidut_fftTwiddles<A>.w;
  for (int32_t c0 = 0; c0 < width; c0 += strip) {
    typename A::value* s = a + 2 * c0;
    const int32_t count = 2 * std::min(strip, width - c0);  // values per row of the strip
    for (int32_t i = n - 2; i >= 1; --i) {
      const int32_t j = cidut_fftReverseBits(i, bits);
      if (j < i) std::swap_ranges(s + i * stride, s + i * stride + count, s + j * stride);
    }
    for (int32_t m = 1; m < n; m *= 2) {
      for (int32_t j = 0; j < m; ++j) {
        const typename A::value wr = w[2 * (m + j)], wi = w[2 * (m + j) + 1];
        for (int32_t i = j; i < n; i += 2 * m) {
          typename A::value* lo = s + i * stride;
          typename A::value* hi = lo + m * stride;
          for (int32_t c = 0; c < count; c += 2) cidut_fftButterfly<A>(lo + c, hi + c, wr, wi);
        }
      }
    }
  }
}
