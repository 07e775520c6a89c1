// The image rules shared by the pixel operations: the input window of a bound handle, new
// result images held by the call's cleanup frame, and result transforms composed from the
// source's.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "id/idut/frame/cleanup_frame.h"
#include "kit/image.h"

// The current window of a bound input image; CIDUT_ERR_IMAGE_UNBOUND otherwise.
int32_t cidut_pixelInputWindow(const cimg_imageConst* image, cimg_windowConst* window);

// Binds image (an unconstructed handle) to new pixels of width x height and the type, held
// by the frame until it exits (the caller's handle takes its own reference by assignment),
// and gives the record of its window.
template <int Capacity>
int32_t cidut_pixelNewImage(ccCleanupFrame<Capacity>& frame, cimg_image* image, int32_t type,
                            int32_t width, int32_t height, cimg_window* window) {
  if (const int32_t status = cimg_image_construct(image, type, width, height); status < 0)
    return status;
  frame.template holdObject<cimg_image_destruct>(image);
  return cimg_window_init(window, image);
}

// result's image-from-client transform = resultFromSource after the source's.
int32_t cidut_pixelComposeXform(cimg_image* result, const cimg_imageConst* source,
                                const cmath_xformLinear& resultFromSource);
