// The client transforms of image handles, kept inverse to each other.
#include "internal.h"

namespace {

using xformField = cmath_xformLinear cimg_imageConst::*;

// Sets one transform of the pair and its inverse as the other.
int32_t setPair(cimg_imageConst* image, const cmath_xformLinear* xform, xformField field,
                xformField inverseField) {
  CIMG_CHECK(image && xform);
  cmath_xformLinear inverse;
  const int32_t status = cmath_xformLinear_getInverse(xform, &inverse);
  if (status < 0) return status;
  image->*field = *xform;
  image->*inverseField = inverse;
  return 0;
}

int32_t get(const cimg_imageConst* image, cmath_xformLinear* xform, xformField field) {
  CIMG_CHECK(image && xform);
  *xform = image->*field;
  return 0;
}

constexpr xformField imageFromClient = &cimg_imageConst::imageFromClient;
constexpr xformField clientFromImage = &cimg_imageConst::clientFromImage;

}  // namespace

extern "C" int32_t cimg_image_copyXforms(cimg_image* image, const cimg_imageConst* source) {
  CIMG_CHECK(image && source);
  image->readOnly.imageFromClient = source->imageFromClient;
  image->readOnly.clientFromImage = source->clientFromImage;
  return 0;
}

extern "C" int32_t cimg_imageConst_setLinearImageFromClientXform(cimg_imageConst* image,
                                                                 const cmath_xformLinear* xform) {
  return setPair(image, xform, imageFromClient, clientFromImage);
}

extern "C" int32_t cimg_imageConst_setLinearClientFromImageXform(cimg_imageConst* image,
                                                                 const cmath_xformLinear* xform) {
  return setPair(image, xform, clientFromImage, imageFromClient);
}

extern "C" int32_t cimg_imageConst_getLinearImageFromClientXform(const cimg_imageConst* image,
                                                                 cmath_xformLinear* xform) {
  return get(image, xform, imageFromClient);
}

extern "C" int32_t cimg_imageConst_getLinearClientFromImageXform(const cimg_imageConst* image,
                                                                 cmath_xformLinear* xform) {
  return get(image, xform, clientFromImage);
}

// The writable handle is its read-only member.

extern "C" int32_t cimg_image_setLinearImageFromClientXform(cimg_image* image,
                                                            const cmath_xformLinear* xform) {
  return cimg_imageConst_setLinearImageFromClientXform(cimg_image_asConst(image), xform);
}

extern "C" int32_t cimg_image_setLinearClientFromImageXform(cimg_image* image,
                                                            const cmath_xformLinear* xform) {
  return cimg_imageConst_setLinearClientFromImageXform(cimg_image_asConst(image), xform);
}

extern "C" int32_t cimg_image_setClientFromImageXform(cimg_image* image,
                                                      const cmath_xformLinear* xform) {
  return cimg_imageConst_setLinearClientFromImageXform(cimg_image_asConst(image), xform);
}

extern "C" int32_t cimg_image_getLinearImageFromClientXform(const cimg_image* image,
                                                            cmath_xformLinear* xform) {
  return cimg_imageConst_getLinearImageFromClientXform(cimg_image_asConst(image), xform);
}

extern "C" int32_t cimg_image_getLinearClientFromImageXform(const cimg_image* image,
                                                            cmath_xformLinear* xform) {
  return cimg_imageConst_getLinearClientFromImageXform(cimg_image_asConst(image), xform);
}
