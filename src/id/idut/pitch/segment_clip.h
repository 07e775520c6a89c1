// The sampling grid of a segment: 16.16 fixed-point start and steps of n equal
// sub-intervals, and the range of sample indices whose 2 x 2 neighbourhood lies inside the
// window. Shared by the line-sampling functions.
#pragma once

#include <stdint.h>

#include "kit/image.h"
#include "kit/math.h"

// Positions are 16.16 held in 64 bits, so that segments reaching far outside the window
// (up to +-65536 pixels) step without overflow.
struct ccLineSampling {
  int64_t u;   // column of sample 0, 16.16, relative to the window's first pixel centre
  int64_t v;   // row of sample 0, 16.16
  int64_t du;  // step per sample, 16.16
  int64_t dv;
  int32_t first;  // samples first..end-1 lie inside the window
  int32_t end;
};

// Sets up n samples from first to second, at the sub-interval starts or, centred, half a
// step further. CIDUT_ERR_OUTSIDE_WINDOW when no sample lies inside the window.
int32_t cidut_lineSampling_init(const cimg_windowConst* window, const cmath_vect* first,
                                const cmath_vect* second, int32_t n, bool centred,
                                ccLineSampling* sampling);
