// The detector's image wrapper: the window record of a bound 8-bit kit image.
#include "internal.h"

cxImage95::cxImage95() : image_{}, bound_(false) {}

int32_t cxImage95::init(const cimg_imageConst* image) {
  CEDGE_CHECK(image);
  bound_ = false;
  if (!image->buffer) return CIMG_STATUS_UNBOUND;
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, image); status < 0) return status;
  if (window.pixelType != CIMG_TYPE_8) return CIMG_STATUS_BAD_SIZE;
  // The two records share one layout; the detector writes only through output wrappers.
  image_.window = cimg_window{window.width,
                              window.height,
                              window.x0,
                              window.y0,
                              window.stride,
                              window.pixelType,
                              const_cast<void*>(window.pixels),
                              window.storage};
  bound_ = true;
  return 0;
}

int32_t cxImage95::init(const cimg_image* image) {
  CEDGE_CHECK(image);
  return init(cimg_image_asConst(image));
}
