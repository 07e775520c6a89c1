// Sampling an affine rectangle of an 8-bit image into an upright image, row by row with
// fixed-point steps.
#include "sampling_grid.h"

namespace {

int32_t sampleInto(const cimg_windowConst& in, const cip_affineGrid& grid, const cimg_window& out) {
  const int64_t stepX = int64_t(grid.alongXx), stepY = int64_t(grid.alongXy);
  for (int32_t j = 0; j < grid.height; ++j) {
    int64_t x, y;
    grid.rowStart(j, &x, &y);
    uint8_t* row = cimg_window_row<uint8_t>(&out, j);
    for (int32_t i = 0; i < grid.width; ++i, x += stepX, y += stepY) {
      row[i] = uint8_t((cip_affineBilinear16(in, x, y) + 32768) >> 16);
    }
  }
  return 0;
}

}  // namespace

extern "C" int32_t cip_affine8(const cmath_shapeAffineRect* rect, const cimg_imageConst* source,
                               cimg_image* destination) {
  CIP_AFFINE_CHECK(rect != nullptr && source != nullptr && destination != nullptr);
  cimg_windowConst in;
  if (const int32_t status = cip_affineSourceWindow(source, &in); status < 0) return status;
  CIP_AFFINE_CHECK(in.pixelType == CIMG_TYPE_8);
  if (in.width < 1 || in.height < 1) return CIMG_STATUS_BAD_SIZE;
  cip_affineGrid grid;
  if (const int32_t status = cip_affineGrid_init(*rect, *source, in, 0, &grid); status < 0)
    return status;

  cimg_image result;
  int32_t status = cimg_image_construct(&result, CIMG_TYPE_8, grid.width, grid.height);
  cimg_window out;
  if (status >= 0) status = cimg_window_init(&out, &result);
  if (status >= 0) status = sampleInto(in, grid, out);
  if (status >= 0) status = cimg_image_assign(destination, &result);
  const int32_t released = cimg_image_destruct(&result);
  return status < 0 ? status : released;
}
