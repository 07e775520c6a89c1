// Pixel-by-pixel value changes: mapping through a 256-entry table into a new image, and
// inverting an image in place.
#include <string.h>

#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "id/idut/prep/pixel_images.h"
#include "kit/pel.h"

extern "C" int32_t cip_image8_map(cimg_image* destination, const cimg_imageConst* source,
                                  const uint8_t* table) {
  CIDUT_CHECK(destination != nullptr && source != nullptr && table != nullptr);
  cimg_windowConst in;
  if (const int32_t status = cidut_pixelInputWindow(source, &in); status < 0) return status;
  CIDUT_CHECK(in.pixelType == CIMG_TYPE_8);

  ccCleanupFrame<1> frame;
  cimg_image result;
  cimg_window out;
  int32_t originX = 0, originY = 0;
  if (frame.failed(cidut_pixelNewImage(frame, &result, CIMG_TYPE_8, in.width, in.height, &out)) ||
      frame.failed(cimg_imageConst_getOrigin(source, &originX, &originY)) ||
      frame.failed(cimg_image_setOrigin(&result, originX, originY)) ||
      frame.failed(cip_pelMap8(&in, &out, table)) ||
      frame.failed(cimg_image_copyXforms(&result, source)))
    return frame.exit();
  frame.failed(cimg_image_assign(destination, &result));
  return frame.exit();
}

extern "C" int32_t cidut_ip_pelInvert8(cimg_image* image) {
  CIDUT_CHECK(image != nullptr);
  int32_t bound = 0;
  cimg_image_getIsBound(image, &bound);
  if (!bound) return CIDUT_ERR_IMAGE_UNBOUND;
  cimg_window window;
  if (const int32_t status = cimg_window_init(&window, image); status < 0) return status;
  CIDUT_CHECK(window.pixelType == CIMG_TYPE_8);
  constexpr uint64_t allOnes = ~uint64_t(0);
  for (int32_t r = 0; r < window.height; ++r) {
    uint8_t* p = cimg_window_row<uint8_t>(&window, r);
    int32_t c = 0;
    for (; c + 8 <= window.width; c += 8) {  // eight pixels a word
      uint64_t word;
      memcpy(&word, p + c, sizeof word);
      word ^= allOnes;
      memcpy(p + c, &word, sizeof word);
    }
    for (; c < window.width; ++c) p[c] ^= 0xFF;
  }
  return 0;
}
