// The output images of the binarization: the destination, and the contrast mask of the
// local min/max method.
#include "id/idut/frame/check.h"
#include "id/idut/prep/binarize_methods.h"
#include "kit/pel.h"

int32_t cidut_binarizeOutput::bind(const cimg_image* caller, const cimg_imageConst* source,
                                   const cimg_windowConst& in) {
  int32_t bound = 0;
  cimg_image_getIsBound(caller, &bound);
  const cstd_rect32 place{in.x0, in.y0, in.width, in.height};
  const int32_t status = bound ? cimg_image_constructCopy(&image_, caller)
                               : cimg_image_constructRect(&image_, CIMG_TYPE_8, &place);
  if (status < 0) return status;
  if (const int32_t s = cimg_image_copyXforms(&image_, source); s < 0) return s;
  if (const int32_t s = cimg_image_setWindowOrigin(&image_, in.x0, in.y0); s < 0) return s;
  if (const int32_t s = cimg_window_init(&window_, &image_); s < 0) return s;
  CIDUT_CHECK(window_.pixelType == CIMG_TYPE_8);
  if (window_.width != in.width || window_.height != in.height) return CIDUT_ERR_IMAGE_SIZE;
  CIDUT_CHECK(cip_pelfunc_checkMemoryOverlap(&in, &window_) == 0);
  return 0;
}
