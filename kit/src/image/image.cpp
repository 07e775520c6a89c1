// Image handles: construction, binding to shared pixels, copies and release.
#include "internal.h"

namespace {

void resetXforms(cimg_imageConst* image) {
  cmath_xformLinear_initIdentity(&image->imageFromClient);
  cmath_xformLinear_initIdentity(&image->clientFromImage);
}

void clearBinding(cimg_imageConst* image) {
  image->buffer = nullptr;
  image->originX = image->originY = 0;
  image->window = cstd_rect32{0, 0, 0, 0};
}

// Lets go of the pixels, if any; the handle is left unbound.
int32_t letGo(cimg_imageConst* image) {
  const int32_t status = image->buffer ? cimg_buffer_release(image->buffer) : 0;
  clearBinding(image);
  return status;
}

// Binds a live handle to new pixels covering rect, with identity transforms. On failure the
// handle is left as it was.
int32_t bindNew(cimg_imageConst* image, int32_t type, const cstd_rect32& rect, cimg_allocFunc alloc,
                cimg_freeFunc free) {
  // Image coordinates of every pixel must fit in 32 bits.
  if (int64_t{rect.x} + rect.width > INT32_MAX || int64_t{rect.y} + rect.height > INT32_MAX) {
    return CIMG_STATUS_BAD_SIZE;
  }
  cimg_buffer* buffer = nullptr;
  const int32_t status = cimg_buffer_create(type, rect.width, rect.height, alloc, free, &buffer);
  if (status < 0) return status;
  const int32_t released = letGo(image);
  image->buffer = buffer;
  image->originX = rect.x;
  image->originY = rect.y;
  image->window = rect;
  resetXforms(image);
  return released;
}

int32_t constructNew(cimg_image* image, int32_t type, const cstd_rect32& rect, cimg_allocFunc alloc,
                     cimg_freeFunc free) {
  cimg_image_constructUnbound(image);
  return bindNew(cimg_image_asConst(image), type, rect, alloc, free);
}

}  // namespace

extern "C" int32_t cimg_image_construct(cimg_image* image, int32_t type, int32_t width,
                                        int32_t height) {
  CIMG_CHECK(image);
  return constructNew(image, type, cstd_rect32{0, 0, width, height},
                      csys_memory_allocFastMem_internal, csys_memory_free_internal);
}

extern "C" int32_t cimg_image_constructRect(cimg_image* image, int32_t type,
                                            const cstd_rect32* rect) {
  CIMG_CHECK(image && rect);
  return constructNew(image, type, *rect, csys_memory_allocFastMem_internal,
                      csys_memory_free_internal);
}

extern "C" int32_t cimg_image_constructCustomAllocFunc(cimg_image* image, int32_t type,
                                                       int32_t width, int32_t height,
                                                       cimg_allocFunc alloc, cimg_freeFunc free) {
  CIMG_CHECK(image && alloc && free);
  return constructNew(image, type, cstd_rect32{0, 0, width, height}, alloc, free);
}

extern "C" int32_t cimg_imageConst_constructUnbound(cimg_imageConst* image) {
  CIMG_CHECK(image);
  clearBinding(image);
  resetXforms(image);
  return 0;
}

extern "C" int32_t cimg_imageConst_constructCopy(cimg_imageConst* image,
                                                 const cimg_imageConst* source) {
  CIMG_CHECK(image && source);
  *image = *source;
  if (image->buffer) cimg_buffer_retain(image->buffer);
  return 0;
}

extern "C" int32_t cimg_imageConst_assign(cimg_imageConst* image, const cimg_imageConst* source) {
  CIMG_CHECK(image && source);
  if (image == source) return 0;
  // Take the new reference first: both may name the same buffer.
  if (source->buffer) cimg_buffer_retain(source->buffer);
  const int32_t status = letGo(image);
  *image = *source;
  return status;
}

extern "C" int32_t cimg_image_assignNew(cimg_image* image, int32_t type, int32_t width,
                                        int32_t height) {
  CIMG_CHECK(image);
  return bindNew(cimg_image_asConst(image), type, cstd_rect32{0, 0, width, height},
                 csys_memory_allocFastMem_internal, csys_memory_free_internal);
}

extern "C" int32_t cimg_imageConst_setUnbound(cimg_imageConst* image) {
  CIMG_CHECK(image);
  return letGo(image);
}

extern "C" int32_t cimg_imageConst_destruct(cimg_imageConst* image) {
  CIMG_CHECK(image);
  return letGo(image);
}

extern "C" int32_t cimg_imageConst_getIsBound(const cimg_imageConst* image, int32_t* isBound) {
  CIMG_CHECK(image && isBound);
  *isBound = image->buffer != nullptr;
  return 0;
}

extern "C" int32_t cimg_imageConst_aliasToFastMem(const cimg_imageConst* source,
                                                  cimg_imageConst* alias, int32_t* aliased) {
  CIMG_CHECK(aliased);
  const int32_t status = cimg_imageConst_assign(alias, source);
  if (status >= 0) *aliased = 0;
  return status;
}

// The writable handle is its read-only member.

extern "C" int32_t cimg_image_constructUnbound(cimg_image* image) {
  return cimg_imageConst_constructUnbound(cimg_image_asConst(image));
}

extern "C" int32_t cimg_image_constructCopy(cimg_image* image, const cimg_image* source) {
  return cimg_imageConst_constructCopy(cimg_image_asConst(image), cimg_image_asConst(source));
}

extern "C" int32_t cimg_image_assign(cimg_image* image, const cimg_image* source) {
  return cimg_imageConst_assign(cimg_image_asConst(image), cimg_image_asConst(source));
}

extern "C" int32_t cimg_image_setUnbound(cimg_image* image) {
  return cimg_imageConst_setUnbound(cimg_image_asConst(image));
}

extern "C" int32_t cimg_image_destruct(cimg_image* image) {
  return cimg_imageConst_destruct(cimg_image_asConst(image));
}

extern "C" int32_t cimg_image_getIsBound(const cimg_image* image, int32_t* isBound) {
  return cimg_imageConst_getIsBound(cimg_image_asConst(image), isBound);
}
