// Input windows and output images of the frequency operations.
#include "id/idut/freq/freq_images.h"

#include "id/idut/frame/check.h"
#include "kit/system.h"

int32_t cidut_freqInputWindow(const cimg_imageConst* image, int32_t pixelType,
                              cimg_windowConst* window) {
  int32_t bound = 0;
  cimg_imageConst_getIsBound(image, &bound);
  if (!bound) return CIDUT_ERR_IMAGE_UNBOUND;
  if (const int32_t status = cimg_windowConst_init(window, image); status < 0) return status;
  CIDUT_CHECK(window->pixelType == pixelType);
  if (window->width < 1 || window->height < 1) return CIDUT_ERR_IMAGE_SIZE;
  return 0;
}

int32_t ccFreqOutput::bind(const cimg_image* caller, int32_t pixelType, int32_t width,
                           int32_t height, const void* inputStorage) {
  int32_t bound = 0;
  cimg_image_getIsBound(caller, &bound);
  isNew_ = !bound;
  const int32_t status = isNew_ ? cimg_image_construct(&image_, pixelType, width, height)
                                : cimg_image_constructCopy(&image_, caller);
  if (status < 0) return status;
  if (const int32_t s = cimg_window_init(&window_, &image_); s < 0) return s;
  if (isNew_) return 0;
  CIDUT_CHECK(window_.pixelType == pixelType);
  CIDUT_CHECK(window_.storage != inputStorage);
  return window_.width < width || window_.height < height ? CIDUT_ERR_IMAGE_SIZE : 0;
}

void ccFreqOutput::clearIfNew() {
  if (!isNew_) return;
  const size_t pixelBytes = size_t(window_.pixelType);
  uint8_t* first = static_cast<uint8_t*>(window_.pixels);
  for (int32_t r = 0; r < window_.height; ++r) {
    csys_memory_fill(0, size_t(window_.width) * pixelBytes,
                     first + ptrdiff_t(r) * window_.stride * ptrdiff_t(pixelBytes));
  }
}

int32_t ccFreqOutput::close(cimg_image* caller) {
  return isNew_ ? cimg_image_assign(caller, &image_) : 0;
}
