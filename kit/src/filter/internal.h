// Inside the smoothing filters: the argument check, the description of one axis of a
// separable filter, and the two engines (binomial and box) that the exported calls share.
#pragma once

#include <stdint.h>

#include "kit/filter.h"
#include "kit/system.h"

#define CIP_FILTER_CHECK(condition) ((condition) ? (void)0 : cstd_assert_(__LINE__))

// One axis of a separable filter. Kept pixel i reads the taps source window pixels from
// start + i step on; positions outside the window take the nearest border pixel.
struct cip_filterAxis {
  int32_t taps;
  int32_t step;
  int32_t start;
  int32_t count;
};

// The gain as a multiple of 1/65536, after checking that it lies in 0 .. CS_FILTER_MAX_GAIN.
uint64_t cip_filterGain16(double gain);

// The step between kept pixels that a sample field gives under the flags.
inline int32_t cip_filterStep(int32_t sample, int32_t flags) {
  if (flags & CS_FILTER_SAMPLE_SKIP) return sample + 1;
  return sample < 1 ? 1 : sample;
}

// Checks the flags of cip_gauss and cip_plpf (CS_FILTER_ bits only).
inline void cip_filterCheckFlags(int32_t flags) {
  CIP_FILTER_CHECK((flags & ~CS_FILTER_STANDARD) == 0);
}

// Where a result whose pixel i covers taps source pixels from x0 + i step lies: its unit
// grid, centred on the kernels, in source image coordinates.
void cip_filterPlacement(const csIRegion& source, const cip_filterAxis& x, const cip_filterAxis& y,
                         csVImageClientCoords* placement);

// Checks a destination record against a filter's result: 8-bit, of count x count pixels
// (else CIMG_STATUS_BAD_SIZE), sharing no pixel with the source (else
// CIP_STATUS_MEMORY_OVERLAP).
int32_t cip_filterCheckDestination(const cimg_windowConst& source, const cimg_window& destination,
                                   const cip_filterAxis& x, const cip_filterAxis& y);

// Binomial smoothing: destination pixel (i, j) = gain16 / 65536 x the sum of the source
// pixels of its kernels, weighted by the binomial weights C(taps - 1, d) and divided by
// their total, rounded (halves up) or truncated, limited to 255. taps odd, at most
// 2 CS_GAUSS_MAX_SIZE + 1. The destination window is x.count x y.count pixels.
int32_t cip_binomialSmooth8(const cimg_windowConst& source, const cimg_window& destination,
                            const cip_filterAxis& x, const cip_filterAxis& y, uint64_t gain16,
                            bool round);

// The box filter: the same with equal weights (a box of x.taps x y.taps pixels), whose
// kernels lie inside the source window.
int32_t cip_boxFilter8(const cimg_windowConst& source, const cimg_window& destination,
                       const cip_filterAxis& x, const cip_filterAxis& y, uint64_t gain16,
                       bool round);
