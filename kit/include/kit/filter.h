// The kit's smoothing filters on 8-bit images: Gaussian smoothing with optional
// sub-sampling.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/image.h"

#ifdef __cplusplus
extern "C" {
#endif

// Gaussian parameters. The smoothing along x is a binomial kernel of 2 xSize + 1 taps (the
// discrete Gaussian of variance xSize / 2; xSize 0: no smoothing), followed by keeping one
// pixel of every xSample (xSample 0 or 1: all). Likewise along y.
typedef struct csGaussParams {
  int32_t xSize;
  int32_t xSample;
  int32_t ySize;
  int32_t ySample;
  int32_t flags;    // reserved, 0
  double gain;      // output = gain * smoothed value, rounded and limited to 0 .. 255
  int32_t sampling; // reserved, 1
} csGaussParams;

// No smoothing, no sub-sampling, gain 1.
CKIT_API extern const csGaussParams csGaussParamsNull;
// The kit's default smoothing: sizes 1 (a 1-2-1 kernel), no sub-sampling, gain 1.
CKIT_API extern const csGaussParams csGaussParamsDefault;

// Smooths the source window into the destination and sub-samples it: destination pixel
// (i, j) is the smoothed value at source window pixel (i xSample + (xSample - 1) / 2,
// j ySample + (ySample - 1) / 2), for i < ceil(width / xSample), j < ceil(height / ySample)
// (the last cell may be cut by the window's edge). Near the border the window is extended by
// its border pixels. An unbound destination receives a new image of that size at the
// source window's position; a bound one must have a window of exactly that size (else
// CIMG_STATUS_BAD_SIZE). Sizes or samples below 0 are argument errors. Statuses:
// CIMG_STATUS_UNBOUND for an unbound source, allocation statuses.
CKIT_API int32_t cip_gauss_smooth8_8(const cimg_imageConst* source, cimg_image* destination,
                                     const csGaussParams* params);

#ifdef __cplusplus
}
#endif
