// Changing an image's resolution: keeping the centre pixel of each cell (sub-sampling) and
// replicating each pixel into a block (expansion), each with the transform that keeps
// client coordinates on the same scene points.
#include <string.h>

#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "id/idut/prep/pixel_images.h"

namespace {

// Output pixel (i, j) = input pixel (i xStep + xOffset, j yStep + yOffset), pixels of
// PixelBytes bytes moved whole.
template <size_t PixelBytes>
void sampleRows(const cimg_windowConst& in, const cimg_window& out, int32_t xStep, int32_t yStep) {
  const int32_t xOffset = (xStep - 1) / 2, yOffset = (yStep - 1) / 2;
  const size_t step = size_t(xStep) * PixelBytes;
  for (int32_t j = 0; j < out.height; ++j) {
    const uint8_t* from = static_cast<const uint8_t*>(in.pixels) +
                          (ptrdiff_t(j) * yStep + yOffset) * in.stride * ptrdiff_t(PixelBytes) +
                          ptrdiff_t(xOffset) * ptrdiff_t(PixelBytes);
    uint8_t* to =
        static_cast<uint8_t*>(out.pixels) + ptrdiff_t(j) * out.stride * ptrdiff_t(PixelBytes);
    for (int32_t i = 0; i < out.width; ++i, from += step, to += PixelBytes)
      memcpy(to, from, PixelBytes);
  }
}

// Every input row becomes yFactor output rows of each pixel repeated xFactor times.
void expandRows(const cimg_windowConst& in, const cimg_window& out, int32_t xFactor,
                int32_t yFactor) {
  for (int32_t r = 0; r < in.height; ++r) {
    const uint8_t* from = cimg_windowConst_row<uint8_t>(&in, r);
    uint8_t* first = cimg_window_row<uint8_t>(&out, r * yFactor);
    uint8_t* to = first;
    for (int32_t c = 0; c < in.width; ++c, to += xFactor) memset(to, from[c], size_t(xFactor));
    for (int32_t k = 1; k < yFactor; ++k)
      memcpy(cimg_window_row<uint8_t>(&out, r * yFactor + k), first, size_t(out.width));
  }
}

cmath_xformLinear scaleAndShift(double xScale, double yScale, double xShift, double yShift) {
  cmath_xformLinear x;
  const cmath_matrix m{xScale, 0, 0, yScale};
  const cmath_vect t{xShift, yShift};
  cmath_xformLinear_initMatrixTrans(&x, &m, &t);
  return x;
}

}  // namespace

extern "C" int32_t cidut_ip_pelSample(const cimg_imageConst* source, cimg_image* destination,
                                      int32_t xStep, int32_t yStep) {
  CIDUT_CHECK(source != nullptr && destination != nullptr);
  if (xStep < 1 || yStep < 1) return CIDUT_ERR_IMAGE_SIZE;
  cimg_windowConst in;
  if (const int32_t status = cidut_pixelInputWindow(source, &in); status < 0) return status;

  ccCleanupFrame<1> frame;
  cimg_image result;
  cimg_window out;
  int32_t originX = 0, originY = 0;
  if (frame.failed(cidut_pixelNewImage(frame, &result, in.pixelType, in.width / xStep,
                                       in.height / yStep, &out)) ||
      frame.failed(cimg_imageConst_getOrigin(source, &originX, &originY)) ||
      frame.failed(cimg_image_setOrigin(&result, originX, originY)))
    return frame.exit();
  switch (in.pixelType) {
    case CIMG_TYPE_8:
      sampleRows<1>(in, out, xStep, yStep);
      break;
    case CIMG_TYPE_32:
      sampleRows<4>(in, out, xStep, yStep);
      break;
    default:
      sampleRows<8>(in, out, xStep, yStep);
      break;
  }
  // Output pixels are centred on their kept pixels, which for an even step lie half a
  // source pixel before their cells' centres: the grid moves by 0.5 / step output pixels.
  const double xShift = xStep % 2 == 0 ? 0.5 / xStep : 0.0;
  const double yShift = yStep % 2 == 0 ? 0.5 / yStep : 0.0;
  if (frame.failed(cidut_pixelComposeXform(
          &result, source, scaleAndShift(1.0 / xStep, 1.0 / yStep, xShift, yShift))))
    return frame.exit();
  frame.failed(cimg_image_assign(destination, &result));
  return frame.exit();
}

extern "C" int32_t cidut_ip_pelExpand8(const cimg_imageConst* source, cimg_image* destination,
                                       int32_t xFactor, int32_t yFactor) {
  CIDUT_CHECK(source != nullptr && destination != nullptr);
  if (xFactor < 1 || yFactor < 1) return CIDUT_ERR_IMAGE_SIZE;
  cimg_windowConst in;
  if (const int32_t status = cidut_pixelInputWindow(source, &in); status < 0) return status;
  CIDUT_CHECK(in.pixelType == CIMG_TYPE_8);
  int32_t originX = 0, originY = 0;
  cimg_imageConst_getOrigin(source, &originX, &originY);
  const int64_t width = int64_t{in.width} * xFactor, height = int64_t{in.height} * yFactor;
  const int64_t x = int64_t{originX} * xFactor, y = int64_t{originY} * yFactor;
  auto fits = [](int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
  if (!fits(width) || !fits(height) || !fits(x) || !fits(y)) return CIDUT_ERR_IMAGE_SIZE;

  ccCleanupFrame<1> frame;
  cimg_image result;
  cimg_window out;
  if (frame.failed(cidut_pixelNewImage(frame, &result, CIMG_TYPE_8, int32_t(width), int32_t(height),
                                       &out)) ||
      frame.failed(cimg_image_setOrigin(&result, int32_t(x), int32_t(y))))
    return frame.exit();
  expandRows(in, out, xFactor, yFactor);
  if (frame.failed(cidut_pixelComposeXform(&result, source, scaleAndShift(xFactor, yFactor, 0, 0))))
    return frame.exit();
  frame.failed(cimg_image_assign(destination, &result));
  return frame.exit();
}
