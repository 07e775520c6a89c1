// Grey profiles along a segment: bilinear samples at sub-interval starts or centres,
// nearest-pixel samples, the mean grey, and the activity (summed absolute differences) of
// a segment. Positions are 16.16 stepped by addition; the bilinear weights are 8-bit and
// sum to 255 per axis, so a sample is grey x 255 x 255 / 65536 (255 reads as 253).
#include <stddef.h>

#include "ci_id/priv/ci_idut/pitch.h"
#include "id/idut/frame/check.h"
#include "id/idut/pitch/segment_clip.h"
#include "kit/system.h"

namespace {

// The top-left pixel of the 2 x 2 neighbourhood at the 16.16 position (u, v); all four
// pixels must lie in the window's pixel memory.
const uint8_t* neighbourhood(const cimg_windowConst* window, int64_t u, int64_t v) {
  const ptrdiff_t offset = ptrdiff_t(v >> 16) * window->stride + ptrdiff_t(u >> 16);
  CIDUT_CHECK(offset >= 0 &&
              offset + window->stride + 1 <= ptrdiff_t{window->height} * window->stride);
  return static_cast<const uint8_t*>(window->pixels) + offset;
}

// Bilinear interpolation at (u, v) in grey x 255 x 255 (a 24-bit value).
uint32_t bilinear(const uint8_t* pixel, int32_t stride, int64_t u, int64_t v) {
  const uint32_t fx = uint32_t(u & 0xFFFF) >> 8, fy = uint32_t(v & 0xFFFF) >> 8;
  const uint32_t top = pixel[0] * (255 - fx) + pixel[1] * fx;
  const uint32_t bottom = pixel[stride] * (255 - fx) + pixel[stride + 1] * fx;
  return (255 - fy) * top + fy * bottom;
}

// Samples the inside part of the grid into profile and repeats its first and last sample
// over the clipped ends. Returns the sum of the bilinear values in grey x 255 x 255 / 256
// (0 for nearest-pixel samples).
template <bool Nearest>
uint64_t sampleProfile(const cimg_windowConst* window, const ccLineSampling& grid, uint8_t* profile,
                       int32_t n) {
  int64_t u = grid.u + grid.first * grid.du, v = grid.v + grid.first * grid.dv;
  uint64_t sum = 0;
  for (int32_t i = grid.first; i < grid.end; ++i, u += grid.du, v += grid.dv) {
    const uint8_t* pixel = neighbourhood(window, u, v);
    if constexpr (Nearest) {
      profile[i] = pixel[0];
    } else {
      const uint32_t weighted = bilinear(pixel, window->stride, u, v);
      profile[i] = uint8_t(weighted >> 16);
      sum += weighted >> 8;
    }
  }
  csys_memory_fill(profile[grid.first], size_t(grid.first), profile);
  csys_memory_fill(profile[grid.end - 1], size_t(n - grid.end), profile + grid.end);
  return sum;
}

// The bilinear profile and its mean grey.
int32_t bilinearProfile(const cimg_windowConst* image, const cmath_vect* first,
                        const cmath_vect* second, uint8_t* profile, int32_t n, bool centred,
                        uint8_t* mean) {
  ccLineSampling grid;
  if (const int32_t status = cidut_lineSampling_init(image, first, second, n, centred, &grid);
      status < 0) {
    return status;
  }
  const uint64_t sum = sampleProfile<false>(image, grid, profile, n);
  *mean = uint8_t((sum / uint64_t(grid.end - grid.first)) >> 8);
  return 0;
}

// *spacing = distance / n; the distance's failure status is returned.
int32_t setSpacing(const cmath_vect* first, const cmath_vect* second, int32_t n, double* spacing) {
  double distance = 0.0;
  const int32_t status = cmath_vect_getDistance(first, second, &distance);
  if (status >= 0) *spacing = distance / n;
  return status;
}

}  // namespace

extern "C" int32_t cidut_getPixelCount(const cmath_vect* first, const cmath_vect* second,
                                       int32_t* count) {
  CIDUT_CHECK(first && second && count);
  double distance = 0.0;
  const int32_t status = cmath_vect_getDistance(first, second, &distance);
  if (status >= 0) *count = cmath_double_round(distance);  // half away from zero
  return status;
}

extern "C" int32_t cidut_linePixels(const cimg_windowConst* image, const cmath_vect* first,
                                    const cmath_vect* second, uint8_t* profile, int32_t n,
                                    uint8_t* mean, double* spacing) {
  CIDUT_CHECK(image && first && second && profile && mean && spacing && n >= 1);
  *mean = 0;
  if (const int32_t status = setSpacing(first, second, n, spacing); status < 0) return status;
  return bilinearProfile(image, first, second, profile, n, true, mean);
}

extern "C" int32_t cidut_linePixels1(const cimg_windowConst* image, const cmath_vect* first,
                                     const cmath_vect* second, uint8_t* profile, double length,
                                     int32_t n, uint8_t* mean, double* spacing) {
  CIDUT_CHECK(image && first && second && profile && mean && spacing && n >= 1);
  *mean = 0;
  *spacing = length / n;
  return bilinearProfile(image, first, second, profile, n, false, mean);
}

extern "C" int32_t cidut_linePixels_LowPPM(const cimg_windowConst* image, const cmath_vect* first,
                                           const cmath_vect* second, uint8_t* profile, int32_t n,
                                           double* spacing) {
  CIDUT_CHECK(image && first && second && profile && spacing && n >= 1);
  if (const int32_t status = setSpacing(first, second, n, spacing); status < 0) return status;
  ccLineSampling grid;
  if (const int32_t status = cidut_lineSampling_init(image, first, second, n, true, &grid);
      status < 0) {
    return status;
  }
  sampleProfile<true>(image, grid, profile, n);
  return 0;
}

extern "C" int32_t cidut_linePixels2D(const cimg_windowConst* image, const cmath_vect* first,
                                      const cmath_vect* second, int32_t n, int32_t* activity) {
  CIDUT_CHECK(image && first && second && activity && n >= 1);
  *activity = 0;
  ccLineSampling grid;
  if (const int32_t status = cidut_lineSampling_init(image, first, second, n, false, &grid);
      status < 0) {
    return status;
  }
  // Every second sub-interval start; the bound end / 2 is compared with the running index
  // as it stands, so a clipped start visits fewer positions.
  const int64_t du = 2 * grid.du, dv = 2 * grid.dv;
  int64_t u = grid.u + grid.first * grid.du, v = grid.v + grid.first * grid.dv;
  int32_t previous = int32_t(bilinear(neighbourhood(image, u, v), image->stride, u, v) >> 16);
  u += du;
  v += dv;
  int32_t sum = 0;
  for (int32_t k = grid.first + 1; k < (grid.end >> 1); ++k, u += du, v += dv) {
    const int32_t sample = int32_t(bilinear(neighbourhood(image, u, v), image->stride, u, v) >> 16);
    sum += sample > previous ? sample - previous : previous - sample;
    previous = sample;
  }
  *activity = sum;
  return 0;
}
