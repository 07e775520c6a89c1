// Transposing an 8-bit image: rows become columns. The pixels move in square tiles, so that
// the rows read and the rows written both stay in the cache.
#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "id/idut/prep/pixel_images.h"

namespace {

constexpr int32_t tile = 32;

void transposePixels(const cimg_windowConst& in, const cimg_window& out) {
  for (int32_t y0 = 0; y0 < in.height; y0 += tile) {
    const int32_t y1 = y0 + tile < in.height ? y0 + tile : in.height;
    for (int32_t x0 = 0; x0 < in.width; x0 += tile) {
      const int32_t x1 = x0 + tile < in.width ? x0 + tile : in.width;
      for (int32_t x = x0; x < x1; ++x) {
        uint8_t* to = cimg_window_row<uint8_t>(&out, x);
        for (int32_t y = y0; y < y1; ++y) to[y] = cimg_windowConst_row<uint8_t>(&in, y)[x];
      }
    }
  }
}

}  // namespace

extern "C" int32_t cidut_ip_pelTranspose8(const cimg_imageConst* source, cimg_image* destination) {
  CIDUT_CHECK(source != nullptr && destination != nullptr);
  cimg_windowConst in;
  if (const int32_t status = cidut_pixelInputWindow(source, &in); status < 0) return status;
  CIDUT_CHECK(in.pixelType == CIMG_TYPE_8);

  ccCleanupFrame<1> frame;
  cimg_image result;
  cimg_window out;
  if (frame.failed(cidut_pixelNewImage(frame, &result, CIMG_TYPE_8, in.height, in.width, &out)))
    return frame.exit();
  transposePixels(in, out);
  // Client points keep their pixels: the swap of x and y after the source's transform.
  cmath_xformLinear swap;
  const cmath_matrix m{0, 1, 1, 0};
  const cmath_vect none{0, 0};
  cmath_xformLinear_initMatrixTrans(&swap, &m, &none);
  if (frame.failed(cidut_pixelComposeXform(&result, source, swap))) return frame.exit();
  frame.failed(cimg_image_assign(destination, &result));
  return frame.exit();
}
