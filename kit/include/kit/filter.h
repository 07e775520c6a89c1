// The kit's smoothing filters on 8-bit images: Gaussian smoothing with optional
// sub-sampling, on image handles (cip_gauss_smooth8_8) and on window records (cip_gauss),
// and a box low-pass filter with sub-sampling (cip_plpf); the integer regions and the
// placement records through which callers size and place the filters' results.
//
// All arithmetic is exact integer arithmetic: a result is the exactly weighted sum of its
// source pixels, scaled by the gain and rounded (or truncated) once.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/image.h"
#include "kit/math.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------------------------------
// Integer regions: the pixels x .. x + width - 1, y .. y + height - 1, as cstd_rect32. A
// region with width or height 0 or less is null.

typedef cstd_rect32 csIRegion;

// region = (x, y, width, height), stored as given. Returns 0.
CKIT_API int32_t csIRegionCT(csIRegion* region, int32_t x, int32_t y, int32_t width,
                             int32_t height);
// 1 when the region holds no pixel, else 0.
CKIT_API int32_t csIRegionIsNull(const csIRegion* region);

// ---------------------------------------------------------------------------------------
// Placement of a filter's result: where the destination's pixel grid lies in the source's
// image coordinates, as three points (six coordinates): the destination's corner (0, 0) and
// the ends of its unit steps along x and y. Pixel (c, r) covers [c, c + 1) x [r, r + 1) in
// both images. The destination's image-from-source transform maps origin to (0, 0),
// xEnd to (1, 0) and yEnd to (0, 1).
typedef struct csVImageClientCoords {
  cmath_vect origin;
  cmath_vect xEnd;
  cmath_vect yEnd;
} csVImageClientCoords;

// ---------------------------------------------------------------------------------------
// Option bits of the flags fields read by cip_gauss and cip_plpf (cip_gauss_smooth8_8 does
// not read its flags). Other bits are argument errors.
enum {
  // The sample fields count the pixels skipped between two kept ones: one pixel of every
  // sample + 1 is kept. Without it one of every sample is kept (0 and 1: all).
  CS_FILTER_SAMPLE_SKIP = 0x00002,
  // Results are rounded to nearest (halves up); without it they are truncated.
  CS_FILTER_ROUND = 0x00400,
  // Smoothing and sampling along x; without it x is left alone (size 0, every column).
  CS_FILTER_X = 0x10000,
  // The same along y.
  CS_FILTER_Y = 0x20000,
  // The gain field applies; without it the gain is 1.
  CS_FILTER_GAIN = 0x40000,
  // Everything above: the word the library's filter wrappers pass.
  CS_FILTER_STANDARD = 0x70402,
};

// Gains are applied as multiples of 1/65536 (gain 1 exactly) and must lie in 0 .. 256.
#define CS_FILTER_MAX_GAIN 256.0

// ---------------------------------------------------------------------------------------
// Gaussian smoothing.

// Gaussian parameters. The smoothing along x is a binomial kernel of 2 xSize + 1 taps (the
// discrete Gaussian of variance xSize / 2; xSize 0: no smoothing), followed by keeping one
// pixel of every xSample (xSample 0 or 1: all; cip_gauss reads it as its flags say).
// Likewise along y. Sizes lie in 0 .. CS_GAUSS_MAX_SIZE, so that every weighted sum is
// held exactly.
typedef struct csGaussParams {
  int32_t xSize;
  int32_t xSample;
  int32_t ySize;
  int32_t ySample;
  int32_t flags;     // cip_gauss: CS_FILTER_ bits; cip_gauss_smooth8_8: not read
  double gain;       // output = gain * smoothed value, limited to 0 .. 255
  int32_t sampling;  // reserved; the kit's records carry 1
} csGaussParams;

#define CS_GAUSS_MAX_SIZE 12

// No smoothing, no sub-sampling, gain 1, flags 0.
CKIT_API extern const csGaussParams csGaussParamsNull;
// The kit's default smoothing: sizes 1 (a 1-2-1 kernel), no sub-sampling, gain 1, flags 0.
CKIT_API extern const csGaussParams csGaussParamsDefault;

// Smooths the source window into the destination and sub-samples it: destination pixel
// (i, j) is the smoothed value at source window pixel (i xSample + (xSample - 1) / 2,
// j ySample + (ySample - 1) / 2), for i < ceil(width / xSample), j < ceil(height / ySample)
// (the last cell may be cut by the window's edge), rounded to nearest. Near the border the
// window is extended by its border pixels. An unbound destination receives a new image of
// that size at the source window's position; a bound one must have a window of exactly
// that size (else CIMG_STATUS_BAD_SIZE) that shares no pixel with the source's (else
// CIP_STATUS_MEMORY_OVERLAP of kit/pel.h). Sizes outside 0 .. CS_GAUSS_MAX_SIZE, samples
// below 0 and gains outside 0 .. CS_FILTER_MAX_GAIN are argument errors. Statuses:
// CIMG_STATUS_UNBOUND for an unbound source, allocation statuses.
CKIT_API int32_t cip_gauss_smooth8_8(const cimg_imageConst* source, cimg_image* destination,
                                     const csGaussParams* params);

// The region of a Gaussian's result on the source region: only pixels whose whole kernel
// lies inside the source are computed, one of every xStep (>= 1) along x, starting at the
// first. destination->x, y are the source coordinates of the pixel at the centre of the
// first kernel (source x + xSize, y + ySize); width and height are the numbers of
// destination pixels, ceil((width - 2 xSize) / xStep) and likewise (0 when the source is
// no larger than the kernel). Sizes >= 0. Returns 0.
CKIT_API int32_t cfGaussGetDstReg(const csIRegion* source, int32_t xSize, int32_t xStep,
                                  int32_t ySize, int32_t yStep, csIRegion* destination);

// Gaussian smoothing of a source window record into a destination record, over the region
// cfGaussGetDstReg gives for the source window's region (the window's x0, y0, width,
// height), with the sizes, steps, gain and rounding the flags select. Destination pixel
// (i, j) is the smoothed value at source window pixel (xSize + i xStep, ySize + j yStep).
// The destination window must be exactly the region's size (else CIMG_STATUS_BAD_SIZE)
// and share no pixel with the source's (else CIP_STATUS_MEMORY_OVERLAP); a null region
// writes nothing. placement (may be null) receives where the destination lies in the
// source's image coordinates. Argument errors as for cip_gauss_smooth8_8, and flags with
// other bits than the CS_FILTER_ ones. Statuses: 0, those above, allocation statuses.
CKIT_API int32_t cip_gauss(const cimg_windowConst* source, const cimg_window* destination,
                           const csGaussParams* params, csVImageClientCoords* placement);

// ---------------------------------------------------------------------------------------
// Box low-pass filter: destination pixel = gain x the mean of an xSize x ySize box of
// source pixels, keeping one box of every xSample along x (as the flags read it) and
// likewise along y. A box covers source window columns xFirst .. xFirst + xSize - 1 with
// xFirst = i xStep (the box lies wholly inside the source window), rows likewise. Sizes 0
// and 1 are one pixel (no smoothing); sizes above CS_PLPF_MAX_SIZE are argument errors.
typedef struct csPlpfParams {
  int32_t xSize;
  int32_t xSample;
  int32_t ySize;
  int32_t ySample;
  int32_t flags;  // CS_FILTER_ bits
  double gain;    // output = gain * mean, limited to 0 .. 255; 0 .. CS_FILTER_MAX_GAIN
} csPlpfParams;

#define CS_PLPF_MAX_SIZE 4096

// Box 1 x 1, no sub-sampling, gain 1, flags 0.
CKIT_API extern const csPlpfParams csPlpfParamsNull;

// The region of a box filter's result on the source region, with the sizes, steps and
// the flags of params: destination->x, y are the source coordinates of the first box's
// top-left pixel; width = floor((width - xSize) / xStep) + 1 boxes (0 when the source is
// narrower than the box), likewise height. Returns 0.
CKIT_API int32_t cfPlpfComputeDstReg(const csIRegion* source, const csPlpfParams* params,
                                     csIRegion* destination);

// The box filter from a source window record into a destination record, over the region
// cfPlpfComputeDstReg gives for the source window. Destination window size, overlap,
// placement and statuses as for cip_gauss.
CKIT_API int32_t cip_plpf(const cimg_windowConst* source, const cimg_window* destination,
                          const csPlpfParams* params, csVImageClientCoords* placement);

#ifdef __cplusplus
}
#endif
