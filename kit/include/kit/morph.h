// The kit's grey-level morphology on 8-bit images: dilation (the greatest pixel under the
// structuring element) and erosion (the least), with the element described by an array of
// offsets. Near the window's border only the element's pixels inside the window count, as
// if the image were extended by its own border values. (Exactly: an offset that leaves the
// window reads the window pixel nearest to it, row and column clamped. For elements that
// hold, with each offset, every offset between it and the centre in both coordinates, as
// the cross and the square do, that is the same as counting only the pixels inside.) Pixels
// of the image outside the source window are never read.
//
// The square made by cip_gmorphElementArray_constructType is applied separably, at a cost
// per pixel that does not grow with its size; any other element (the square's offsets in
// another order included) costs a step per offset and pixel.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/image.h"

#ifdef __cplusplus
extern "C" {
#endif

// Shapes of cip_gmorphElementArray_constructType.
enum {
  CIP_GMORPH_CROSS = 0,   // the centre and the 4 arms of length size: 4 size + 1 pixels
  CIP_GMORPH_SQUARE = 1,  // (2 size + 1) x (2 size + 1) pixels
};

typedef struct cip_gmorphElementArray {
  int32_t count;     // offsets held
  int32_t* offsets;  // count (dx, dy) pairs, 2 count values
  int32_t radius;    // the largest |dx| or |dy|
} cip_gmorphElementArray;

// An element of the shape (CIP_GMORPH_) and size >= 0 (argument checks; so is a size whose
// 2 count values would not fit in an int32_t); its offsets come from the kit's allocator
// (CSYS_STATUS_NO_MEMORY on failure, the element then empty), in raster order: dy, then dx,
// increasing. Destruct frees them and leaves the element empty.
CKIT_API int32_t cip_gmorphElementArray_constructType(cip_gmorphElementArray* element,
                                                      int32_t type, int32_t size);
CKIT_API int32_t cip_gmorphElementArray_destruct(cip_gmorphElementArray* element);

// destination = dilation / erosion of the source window. An unbound destination receives a
// new image of the window's size and position; a bound one must have a window of that size
// (else CIMG_STATUS_BAD_SIZE) not overlapping the source's pixels (else
// CIP_STATUS_MEMORY_OVERLAP of kit/pel.h). The source's transforms are copied. Statuses:
// CIMG_STATUS_UNBOUND for an unbound source, allocation statuses (after which a destination
// that was unbound is unbound still, and a bound one unchanged); an empty source window
// into an unbound destination gives CIMG_STATUS_BAD_SIZE, as no image can be made of it.
// Argument checks: 8-bit images; an element of at least one offset, none beyond its radius.
CKIT_API int32_t cip_gmorphDilate8(const cimg_imageConst* source, cimg_image* destination,
                                   const cip_gmorphElementArray* element);
CKIT_API int32_t cip_gmorphErode8(const cimg_imageConst* source, cimg_image* destination,
                                  const cip_gmorphElementArray* element);

#ifdef __cplusplus
}
#endif
