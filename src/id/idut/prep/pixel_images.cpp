// The input windows and result transforms of the pixel operations.
#include "id/idut/prep/pixel_images.h"

int32_t cidut_pixelInputWindow(const cimg_imageConst* image, cimg_windowConst* window) {
  int32_t bound = 0;
  cimg_imageConst_getIsBound(image, &bound);
  if (!bound) return CIDUT_ERR_IMAGE_UNBOUND;
  return cimg_windowConst_init(window, image);
}

int32_t cidut_pixelComposeXform(cimg_image* result, const cimg_imageConst* source,
                                const cmath_xformLinear& resultFromSource) {
  cmath_xformLinear xform;
  if (const int32_t status = cimg_imageConst_getLinearImageFromClientXform(source, &xform);
      status < 0)
    return status;
  cmath_xformLinear_initCompose(&xform, &resultFromSource, &xform);
  return cimg_image_setLinearImageFromClientXform(result, &xform);
}
