// The normalised projection of an affine rectangle of an 8-bit image onto its x side: per
// bin along the x side, the mean of the bilinear values across the rectangle at the points
// that fall on the source window.
#include "sampling_grid.h"

namespace {

// Bin values into the 32-bit row; [*first, *last) the bins with points inside.
void project(const cimg_windowConst& in, const cip_affineGrid& grid, int32_t scale, uint32_t* bins,
             int32_t* first, int32_t* last) {
  // A point is inside when it falls on a window pixel: -1/2 <= x < width - 1/2 in window
  // pixel units.
  const int64_t half = int64_t(1) << 31;
  const int64_t xEnd = (int64_t(in.width) << 32) - half, yEnd = (int64_t(in.height) << 32) - half;
  const int64_t stepX = int64_t(grid.alongYx), stepY = int64_t(grid.alongYy);
  *first = grid.width;
  *last = 0;
  for (int32_t i = 0; i < grid.width; ++i) {
    int64_t x, y;
    grid.columnStart(i, &x, &y);
    uint64_t sum = 0;
    uint32_t n = 0;
    for (int32_t j = 0; j < grid.height; ++j, x += stepX, y += stepY) {
      if (x < -half || x >= xEnd || y < -half || y >= yEnd) continue;
      sum += cip_affineBilinear16(in, x, y);
      ++n;
    }
    if (n == 0) {
      bins[i] = 0;
      continue;
    }
    // round(scale x sum / (65536 n)); sum < 2^24 n, so the quotient fits 32 bits.
    const unsigned __int128 scaled = (unsigned __int128)sum * uint32_t(scale) + uint64_t{n} * 32768;
    bins[i] = uint32_t(scaled / (uint64_t{n} << 16));
    if (*first > i) *first = i;
    *last = i + 1;
  }
}

}  // namespace

extern "C" int32_t cip_affineProjectNorm(const cimg_imageConst* source, cimg_image* destination,
                                         const cmath_shapeAffineRect* rect, int32_t scale,
                                         int32_t ySamples, int32_t* count, int32_t* first,
                                         int32_t* last) {
  CIP_AFFINE_CHECK(source != nullptr && destination != nullptr && rect != nullptr);
  CIP_AFFINE_CHECK(count != nullptr && first != nullptr && last != nullptr);
  CIP_AFFINE_CHECK(scale >= 0 && scale <= 65536 && ySamples >= 0);
  cimg_windowConst in;
  if (const int32_t status = cip_affineSourceWindow(source, &in); status < 0) return status;
  CIP_AFFINE_CHECK(in.pixelType == CIMG_TYPE_8);
  if (in.width < 1 || in.height < 1) return CIP_STATUS_OUTSIDE_IMAGE;
  cip_affineGrid grid;
  if (const int32_t status = cip_affineGrid_init(*rect, *source, in, ySamples, &grid); status < 0)
    return status;

  cimg_image result;
  int32_t status = cimg_image_construct(&result, CIMG_TYPE_32, grid.width, 1);
  cimg_window out;
  int32_t from = 0, to = 0;
  if (status >= 0) status = cimg_window_init(&out, &result);
  if (status >= 0) {
    project(in, grid, scale, static_cast<uint32_t*>(out.pixels), &from, &to);
    if (from >= to) status = CIP_STATUS_OUTSIDE_IMAGE;
  }
  if (status >= 0) status = cimg_image_assign(destination, &result);
  const int32_t released = cimg_image_destruct(&result);
  if (status < 0) return status;
  *count = grid.width;
  *first = from;
  *last = to;
  return released;
}
