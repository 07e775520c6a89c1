// The kit's images: handles over shared, reference-counted pixel buffers, with a current
// window and linear transforms between client and image coordinates.
//
// A handle is a caller-owned record. It is either unbound or bound to one pixel buffer of
// type code 1 (uint8), 4 (int32/uint32) or 8 (double); the type code is the pixel size in
// bytes. Copies and assignments share the buffer; the last handle to let go frees it
// (reference counts are thread-safe, a single handle is not).
//
// Coordinates. The image is the whole buffer, placed in image coordinates by its origin:
// the image coordinates of the buffer's pixel (0, 0). The window is a rectangle of the
// image in image coordinates; a window of width or height 0 is empty but has a position.
// The two linear transforms, image-from-client and client-from-image, are always kept
// inverse to each other and are the identity after construction. Moving the origin
// relabels image coordinates only; the transforms are left as they are.
//
// cimg_image may write its pixels, cimg_imageConst only reads them. A cimg_image holds a
// cimg_imageConst as its only member, so cimg_image_asConst passes a cimg_image (the same
// handle, no new reference) to every call taking a cimg_imageConst. Each cimg_image_X call
// is the cimg_imageConst_X call on that member.
//
// Every call returns a status: 0 or a failure below, CSYS_STATUS_NO_MEMORY from an
// allocation, or the status of a caller's free function (returned by the call that let the
// last handle go, which has done its work all the same). A null pointer or other misuse
// noted "(check)" is an argument error reported to cstd_assert_. Handles must have been
// constructed before any call but a construct; a failed construct leaves the handle
// constructed and unbound.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "kit/export.h"
#include "kit/math.h"
#include "kit/std.h"

#ifdef __cplusplus
extern "C" {
#endif

// Type code not 1, 4 or 8; width or height below 1; a window that leaves the image or has a
// negative size.
#define CIMG_STATUS_BAD_SIZE ((int32_t)0x800003c2)
// The handle is not bound to pixels.
#define CIMG_STATUS_UNBOUND ((int32_t)0x800003c3)

enum { CIMG_TYPE_8 = 1, CIMG_TYPE_32 = 4, CIMG_TYPE_DOUBLE = 8 };

// The shared pixel buffer; its storage is the image library's.
typedef struct cimg_buffer cimg_buffer;

// The fields are the image library's; read and change them through the calls.
typedef struct cimg_imageConst {
  cimg_buffer* buffer;  // null when unbound
  int32_t originX;      // image coordinates of the buffer's pixel (0, 0)
  int32_t originY;
  cstd_rect32 window;  // current window, image coordinates
  cmath_xformLinear imageFromClient;
  cmath_xformLinear clientFromImage;
} cimg_imageConst;

typedef struct cimg_image {
  cimg_imageConst readOnly;
} cimg_image;

// The pixels of a window. Pixel (c, r) of the window, 0 <= c < width, 0 <= r < height, is
// pixel number r * stride + c counted from pixels, in the pixel type of the image.
// Callers rely on the first four fields.
typedef struct cimg_window {
  int32_t width;
  int32_t height;
  int32_t x0;  // image coordinates of the window's top-left pixel
  int32_t y0;
  int32_t stride;       // row stride in pixels (bytes for 8-bit images)
  int32_t pixelType;    // type code, 1, 4 or 8
  void* pixels;         // the window's top-left pixel
  const void* storage;  // the shared buffer: equal for windows on the same pixels
} cimg_window;

typedef struct cimg_windowConst {
  int32_t width;
  int32_t height;
  int32_t x0;
  int32_t y0;
  int32_t stride;
  int32_t pixelType;
  const void* pixels;
  const void* storage;
} cimg_windowConst;

// Pixel allocation for cimg_image_constructCustomAllocFunc: the shapes of
// csys_memory_alloc_internal and csys_memory_free_internal.
typedef int32_t (*cimg_allocFunc)(size_t bytes, void** block);
typedef int32_t (*cimg_freeFunc)(void** block);

// ---------------------------------------------------------------------------------------
// Construction and binding.

// Binds to new pixels of width x height (each at least 1) of the type code; origin (0, 0),
// window = the whole image, identity transforms. Pixels are not initialised. Each row
// takes a multiple of 16 bytes (the stride, in pixels, may exceed the width); the first
// row is 64-byte aligned.
CKIT_API int32_t cimg_image_construct(cimg_image* image, int32_t type, int32_t width,
                                      int32_t height);
// As cimg_image_construct over the rectangle: the origin is its corner (x, y), so the image
// covers exactly the rectangle's pixels in image coordinates.
CKIT_API int32_t cimg_image_constructRect(cimg_image* image, int32_t type, const cstd_rect32* rect);
// As cimg_image_construct, with the pixel block from alloc (called once, with the block's
// byte count) and given back to free when the last handle lets go; no alignment beyond
// alloc's own. The buffer's bookkeeping still comes from the kit's allocator.
CKIT_API int32_t cimg_image_constructCustomAllocFunc(cimg_image* image, int32_t type, int32_t width,
                                                     int32_t height, cimg_allocFunc alloc,
                                                     cimg_freeFunc free);
// An unbound handle with identity transforms. Never fails.
CKIT_API int32_t cimg_image_constructUnbound(cimg_image* image);
CKIT_API int32_t cimg_imageConst_constructUnbound(cimg_imageConst* image);
// A second handle on the source's pixels, origin, window and transforms (or an unbound
// copy of an unbound source). Never fails.
CKIT_API int32_t cimg_image_constructCopy(cimg_image* image, const cimg_image* source);
CKIT_API int32_t cimg_imageConst_constructCopy(cimg_imageConst* image,
                                               const cimg_imageConst* source);
// The destination lets go of its pixels and becomes what constructCopy would make of the
// source. Self-assignment is harmless.
CKIT_API int32_t cimg_image_assign(cimg_image* image, const cimg_image* source);
CKIT_API int32_t cimg_imageConst_assign(cimg_imageConst* image, const cimg_imageConst* source);
// As cimg_image_construct on a live handle: the old pixels are let go only once the new
// ones exist, so a failure leaves the handle as it was.
CKIT_API int32_t cimg_image_assignNew(cimg_image* image, int32_t type, int32_t width,
                                      int32_t height);
// Lets go of the pixels; origin and window become (0, 0) and empty, transforms are kept.
CKIT_API int32_t cimg_image_setUnbound(cimg_image* image);
CKIT_API int32_t cimg_imageConst_setUnbound(cimg_imageConst* image);
// Lets go of the pixels; the handle is left unbound, so a second destruct does nothing.
CKIT_API int32_t cimg_image_destruct(cimg_image* image);
CKIT_API int32_t cimg_imageConst_destruct(cimg_imageConst* image);

CKIT_API int32_t cimg_image_getIsBound(const cimg_image* image, int32_t* isBound);
CKIT_API int32_t cimg_imageConst_getIsBound(const cimg_imageConst* image, int32_t* isBound);

// Makes alias a handle on the source (cimg_imageConst_assign) and sets *aliased = 0: the
// pixels are used where they are (the kit's own buffers are fast memory already).
CKIT_API int32_t cimg_imageConst_aliasToFastMem(const cimg_imageConst* source,
                                                cimg_imageConst* alias, int32_t* aliased);

// ---------------------------------------------------------------------------------------
// Image, window and origin. All need a bound handle (else CIMG_STATUS_UNBOUND).

// The whole image in image coordinates.
CKIT_API int32_t cimg_image_getEntire(const cimg_image* image, cstd_rect32* rect);
CKIT_API int32_t cimg_imageConst_getEntire(const cimg_imageConst* image, cstd_rect32* rect);
CKIT_API int32_t cimg_image_getWindow(const cimg_image* image, cstd_rect32* rect);
CKIT_API int32_t cimg_imageConst_getWindow(const cimg_imageConst* image, cstd_rect32* rect);
// Window = (x, y, width, height) in window coordinates: relative to the current window's
// top-left pixel. The rectangle may reach past the current window but must lie inside the
// image and have no negative size, else CIMG_STATUS_BAD_SIZE and the window is unchanged.
// flags is reserved and must be 0 (check).
CKIT_API int32_t cimg_image_window(cimg_image* image, int32_t x, int32_t y, int32_t width,
                                   int32_t height, int32_t flags);
CKIT_API int32_t cimg_imageConst_window(cimg_imageConst* image, int32_t x, int32_t y, int32_t width,
                                        int32_t height, int32_t flags);
// Window = the rectangle (image coordinates) clipped to the image. *clipped (when not null)
// = 1 when clipping changed it. A rectangle that misses the image, or has a negative size,
// gives an empty window at its corner moved into the image.
CKIT_API int32_t cimg_image_setWindowRect(cimg_image* image, const cstd_rect32* rect,
                                          int32_t* clipped);
CKIT_API int32_t cimg_imageConst_setWindowRect(cimg_imageConst* image, const cstd_rect32* rect,
                                               int32_t* clipped);
// Window = the whole image.
CKIT_API int32_t cimg_image_setEntire(cimg_image* image);
CKIT_API int32_t cimg_imageConst_setEntire(cimg_imageConst* image);

CKIT_API int32_t cimg_image_getOrigin(const cimg_image* image, int32_t* x, int32_t* y);
CKIT_API int32_t cimg_imageConst_getOrigin(const cimg_imageConst* image, int32_t* x, int32_t* y);
// Moves the image in image coordinates so that its buffer's pixel (0, 0) is at (x, y); the
// window moves with it (it keeps its pixels).
CKIT_API int32_t cimg_image_setOrigin(cimg_image* image, int32_t x, int32_t y);
CKIT_API int32_t cimg_imageConst_setOrigin(cimg_imageConst* image, int32_t x, int32_t y);
// The same move, chosen so that the window's top-left pixel is at (x, y).
CKIT_API int32_t cimg_image_setWindowOrigin(cimg_image* image, int32_t x, int32_t y);
CKIT_API int32_t cimg_imageConst_setWindowOrigin(cimg_imageConst* image, int32_t x, int32_t y);

// ---------------------------------------------------------------------------------------
// Window records and pixel addresses. All need a bound handle.

// The record of the current window.
CKIT_API int32_t cimg_window_init(cimg_window* window, const cimg_image* image);
CKIT_API int32_t cimg_windowConst_init(cimg_windowConst* window, const cimg_imageConst* image);
// The record of the rectangle (image coordinates) clipped to the image, as
// cimg_image_setWindowRect would window it; the handle's window is unchanged. *clipped
// (when not null) = 1 when clipping changed the rectangle.
CKIT_API int32_t cimg_window_initWindow(cimg_window* window, const cimg_image* image,
                                        const cstd_rect32* rect, int32_t* clipped);
CKIT_API int32_t cimg_windowConst_initWindow(cimg_windowConst* window, const cimg_imageConst* image,
                                             const cstd_rect32* rect, int32_t* clipped);
// *address = the pixel at (x, y) in window coordinates, which must lie inside the image
// (check).
CKIT_API int32_t cimg_image_pointToOffset_internal(const cimg_image* image, int32_t x, int32_t y,
                                                   void** address);
CKIT_API int32_t cimg_imageConst_pointToOffset_internal(const cimg_imageConst* image, int32_t x,
                                                        int32_t y, const void** address);

// ---------------------------------------------------------------------------------------
// Transforms. Bound or not. Setting one transform sets the other to its inverse; a singular
// transform is refused with CMATH_STATUS_SINGULAR and both are left unchanged.

CKIT_API int32_t cimg_image_copyXforms(cimg_image* image, const cimg_imageConst* source);
CKIT_API int32_t cimg_image_setLinearImageFromClientXform(cimg_image* image,
                                                          const cmath_xformLinear* xform);
CKIT_API int32_t cimg_imageConst_setLinearImageFromClientXform(cimg_imageConst* image,
                                                               const cmath_xformLinear* xform);
CKIT_API int32_t cimg_image_getLinearImageFromClientXform(const cimg_image* image,
                                                          cmath_xformLinear* xform);
CKIT_API int32_t cimg_imageConst_getLinearImageFromClientXform(const cimg_imageConst* image,
                                                               cmath_xformLinear* xform);
CKIT_API int32_t cimg_image_setLinearClientFromImageXform(cimg_image* image,
                                                          const cmath_xformLinear* xform);
CKIT_API int32_t cimg_imageConst_setLinearClientFromImageXform(cimg_imageConst* image,
                                                               const cmath_xformLinear* xform);
CKIT_API int32_t cimg_image_getLinearClientFromImageXform(const cimg_image* image,
                                                          cmath_xformLinear* xform);
CKIT_API int32_t cimg_imageConst_getLinearClientFromImageXform(const cimg_imageConst* image,
                                                               cmath_xformLinear* xform);
// The same as cimg_image_setLinearClientFromImageXform: every transform here is linear.
CKIT_API int32_t cimg_image_setClientFromImageXform(cimg_image* image,
                                                    const cmath_xformLinear* xform);

#ifdef __cplusplus
}  // extern "C"

static_assert(offsetof(cimg_window, width) == 0 && offsetof(cimg_window, height) == 4 &&
                  offsetof(cimg_window, x0) == 8 && offsetof(cimg_window, y0) == 12,
              "callers read the first four fields of a window record");
static_assert(offsetof(cimg_windowConst, width) == 0 && offsetof(cimg_windowConst, height) == 4 &&
                  offsetof(cimg_windowConst, x0) == 8 && offsetof(cimg_windowConst, y0) == 12,
              "callers read the first four fields of a window record");
static_assert(offsetof(cimg_windowConst, pixels) == offsetof(cimg_window, pixels) &&
                  sizeof(cimg_windowConst) == sizeof(cimg_window),
              "the two window records share one layout");

// The same handle seen as read-only (null for null).
inline cimg_imageConst* cimg_image_asConst(cimg_image* image) {
  return image ? &image->readOnly : nullptr;
}
inline const cimg_imageConst* cimg_image_asConst(const cimg_image* image) {
  return image ? &image->readOnly : nullptr;
}

// Row r of a window record, typed: uint8_t, int32_t/uint32_t or double as its pixelType.
template <class Pixel>
inline Pixel* cimg_window_row(const cimg_window* window, int32_t r) {
  return static_cast<Pixel*>(window->pixels) + ptrdiff_t{r} * window->stride;
}
template <class Pixel>
inline const Pixel* cimg_windowConst_row(const cimg_windowConst* window, int32_t r) {
  return static_cast<const Pixel*>(window->pixels) + ptrdiff_t{r} * window->stride;
}
#endif
