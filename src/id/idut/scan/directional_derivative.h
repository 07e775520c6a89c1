// The 3x3 directional derivative of the edge scans: dx Gx + dy Gy with the Sobel kernels
// (Gx right minus left column, Gy lower minus upper row), as four weighted differences
// across the centre pixel, in 16-bit arithmetic.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct cidc_derivativeWeights {
  int32_t wR;   // right - left
  int32_t wD;   // down - up
  int32_t wDR;  // down-right - up-left
  int32_t wDL;  // down-left - up-right
};

// Weights for the direction (dx, dy). An axis direction is used unscaled; any other is
// normalised so that the absolute weights sum to 128, which keeps |D| <= 255 * 128.
inline cidc_derivativeWeights cidc_derivativeWeights_init(int16_t dx, int16_t dy) {
  if (dx == 0) return {0, 2 * dy, dy, dy};
  if (dy == 0) return {2 * dx, 0, dx, -dx};
  const int32_t a = dx < 0 ? -dx : dx;
  const int32_t b = dy < 0 ? -dy : dy;
  const int32_t s = a > b ? b + 2 * a : a + 2 * b;
  const int32_t nx = (dx << 6) / s;
  const int32_t ny = (dy << 6) / s;
  return {2 * nx, 2 * ny, nx + ny, ny - nx};
}

// D at the pixel p of an 8-bit image with the given row stride.
inline int16_t cidc_directionalDerivative(const uint8_t* p, ptrdiff_t stride,
                                          const cidc_derivativeWeights& w) {
  const int32_t d = w.wDL * (p[stride - 1] - p[1 - stride]) + w.wD * (p[stride] - p[-stride]) +
                    w.wDR * (p[stride + 1] - p[-stride - 1]) + w.wR * (p[1] - p[-1]);
  return static_cast<int16_t>(d);
}
