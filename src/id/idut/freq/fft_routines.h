// The FFT routines that go through the optimised-variant dispatch, by their routine names.
// No processor-tuned variant exists: each variant slot reports "not available", so the
// portable code runs unless the dispatch is changed.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "id/idut/frame/dispatch.h"
#include "id/idut/freq/radix2_fft.h"
#include "kit/image.h"

inline int32_t cidut_fftNoVariant() {
  return CIDUT_ERR_NOT_AVAILABLE;
}

// "cf1DRealFFT": the FFT of n pixels into row (2n values). Its first n values, n/2 bins,
// are the row's spectrum; the others are their conjugates.
template <class A>
int32_t cidut_fftRealRow(const uint8_t* pixels, int32_t n, typename A::value* row) {
  return cidut_dispatchOptimized("cf1DRealFFT", cidut_fftNoVariant, [&] {
    cidut_fftPixels<A>(pixels, n, row);
    return int32_t{0};
  });
}

// "cf2DFFT": the 2-D FFT of the window's pixels into grid, whose rows (2 x width values)
// are stride values apart: rows first, then columns.
template <class A>
int32_t cidut_fft2D(const cimg_windowConst& window, typename A::value* grid, ptrdiff_t stride) {
  return cidut_dispatchOptimized("cf2DFFT", cidut_fftNoVariant, [&] {
    for (int32_t r = 0; r < window.height; ++r) {
      cidut_fftPixels<A>(cimg_windowConst_row<uint8_t>(&window, r), window.width,
                         grid + r * stride);
    }
    cidut_fftColumns<A>(grid, stride, window.height, window.width);
    return int32_t{0};
  });
}

// The radix-2 size rule: a power of two from 2 to 1024.
inline int32_t cidut_fftCheckSide(int32_t n) {
  if (n < 2 || (n & (n - 1)) != 0) return CIDUT_ERR_NOT_POWER_OF_TWO;
  return n > CIDUT_FFT_MAX_POINTS ? CIDUT_ERR_IMAGE_SIZE : 0;
}
