// The kit's affine sampling: the pixels of an affine rectangle of an image, resampled into
// an upright image.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/image.h"
#include "kit/shapes.h"

#ifdef __cplusplus
extern "C" {
#endif

// Samples the rectangle (corners Po, Px, Py in the source's client coordinates, mapped to
// image coordinates by its image-from-client transform) into an upright 8-bit image of
// round(|Px - Po|) x round(|Py - Po|) pixels (at least 1 x 1): destination pixel (i, j) is
// the source bilinearly interpolated at Po + (i + 0.5) / width (Px - Po) + (j + 0.5) /
// height (Py - Po), pixel (c, r) of the image covering [c, c + 1) x [r, r + 1); points
// outside the source window take the nearest window pixel. The destination receives the new
// image (origin 0, 0; identity transforms). Statuses: CIMG_STATUS_UNBOUND for an unbound
// source, allocation statuses; a null rectangle is an argument error.
CKIT_API int32_t cip_affine8(const cmath_shapeAffineRect* rect, const cimg_imageConst* source,
                             cimg_image* destination);

#ifdef __cplusplus
}
#endif
