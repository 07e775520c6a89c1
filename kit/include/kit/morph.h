// The kit's grey-level morphology on 8-bit images: dilation (the greatest pixel under the
// structuring element) and erosion (the least), with the element described by an array of
// offsets. Near the window's border only the element's pixels inside the window count, as
// if the image were extended by its own border values.
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

// An element of the shape (CIP_GMORPH_) and size >= 0 (argument checks); its offsets come
// from the kit's allocator (CSYS_STATUS_NO_MEMORY on failure, the element then empty).
CKIT_API int32_t cip_gmorphElementArray_constructType(cip_gmorphElementArray* element,
                                                      int32_t type, int32_t size);
CKIT_API int32_t cip_gmorphElementArray_destruct(cip_gmorphElementArray* element);

// destination = dilation / erosion of the source window. An unbound destination receives a
// new image of the window's size and position; a bound one must have a window of that size
// (else CIMG_STATUS_BAD_SIZE) not overlapping the source's pixels (else
// CIP_STATUS_MEMORY_OVERLAP of kit/pel.h). The source's transforms are copied. Statuses:
// CIMG_STATUS_UNBOUND for an unbound source, allocation statuses.
CKIT_API int32_t cip_gmorphDilate8(const cimg_imageConst* source, cimg_image* destination,
                                   const cip_gmorphElementArray* element);
CKIT_API int32_t cip_gmorphErode8(const cimg_imageConst* source, cimg_image* destination,
                                  const cip_gmorphElementArray* element);

#ifdef __cplusplus
}
#endif
