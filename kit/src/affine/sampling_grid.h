// Inside the affine sampling: the grid of points at which a rectangle is sampled, in 32.32
// fixed point relative to the source window, and the bilinear value at a point.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <algorithm>

#include "kit/affine.h"
#include "kit/system.h"

#define CIP_AFFINE_CHECK(condition) ((condition) ? (void)0 : cstd_assert_(__LINE__))

// Point (i, j) of the grid lies at first + i alongX + j alongY, in window pixel units with
// the centre of window pixel (c, r) at (c, r), each coordinate scaled by 2^32.
struct cip_affineGrid {
  int32_t width;   // points along the x side
  int32_t height;  // points across
  double firstX, firstY;
  double alongXx, alongXy;
  double alongYx, alongYy;

  // Point (0, j) and the step along x, in fixed point. Every point of the grid lies in the
  // rectangle, whose corners are within 2^30 pixels of the window, so 64 bits hold them.
  void rowStart(int32_t j, int64_t* x, int64_t* y) const {
    *x = int64_t(firstX + j * alongYx);
    *y = int64_t(firstY + j * alongYy);
  }
  void columnStart(int32_t i, int64_t* x, int64_t* y) const {
    *x = int64_t(firstX + i * alongXx);
    *y = int64_t(firstY + i * alongXy);
  }
};

// The source's window; CIMG_STATUS_UNBOUND for an unbound handle, else the status of
// opening it.
int32_t cip_affineSourceWindow(const cimg_imageConst* source, cimg_windowConst* in);

// The grid of the rectangle over the source window: width = round(|Px - Po|), height =
// ySamples, or round(|Py - Po|) when ySamples is 0 (each at least 1). Statuses of
// kit/affine.h: CMATH_STATUS_NOT_FINITE, CMATH_STATUS_OUT_OF_RANGE.
int32_t cip_affineGrid_init(const cmath_shapeAffineRect& rect, const cimg_imageConst& source,
                            const cimg_windowConst& window, int32_t ySamples, cip_affineGrid* grid);

// The bilinear value at (x, y) (32.32, window pixel centres at integers) times 65536: the
// position rounded to 1/256 pixel and moved onto the window's border pixel centres.
inline uint32_t cip_affineBilinear16(const cimg_windowConst& window, int64_t x, int64_t y) {
  const int64_t u =
      std::clamp<int64_t>((x + (int64_t(1) << 23)) >> 24, 0, int64_t(window.width - 1) << 8);
  const int64_t v =
      std::clamp<int64_t>((y + (int64_t(1) << 23)) >> 24, 0, int64_t(window.height - 1) << 8);
  const uint32_t fx = uint32_t(u & 255), fy = uint32_t(v & 255);
  const uint8_t* top = static_cast<const uint8_t*>(window.pixels) +
                       ptrdiff_t(v >> 8) * window.stride + ptrdiff_t(u >> 8);
  // A zero weight never reads past the border: the next pixel is taken only when weighted.
  const ptrdiff_t right = fx != 0, down = fy != 0 ? window.stride : 0;
  const uint32_t upper = top[0] * (256 - fx) + top[right] * fx;
  const uint32_t lower = top[down] * (256 - fx) + top[down + right] * fx;
  return upper * (256 - fy) + lower * fy;
}
