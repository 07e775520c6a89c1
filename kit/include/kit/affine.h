// The kit's affine sampling: the pixels of an affine rectangle of an image, resampled into
// an upright image, and their projection onto the rectangle's x side.
//
// Both calls sample the rectangle (corners Po, Px, Py in the source's client coordinates,
// mapped to image coordinates by its image-from-client transform) on a grid of W x H
// points, W = round(|Px - Po|) and H = round(|Py - Po|) (each at least 1): point (i, j) is
// Po + (i + 0.5) / W (Px - Po) + (j + 0.5) / H (Py - Po), pixel (c, r) of the image
// covering [c, c + 1) x [r, r + 1). Values are bilinearly interpolated between the four
// nearest pixel centres, with positions and weights in steps of 1/256 pixel; a point beyond
// the centres of the window's border pixels is moved onto them (the window is extended by
// its border pixels). W, H and the mapped corners' distances from the source window's
// top-left corner must not exceed 2^30 pixels.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/image.h"
#include "kit/shapes.h"

#ifdef __cplusplus
extern "C" {
#endif

// cip_affineProjectNorm: no sampling point of the rectangle lies inside the source window.
#define CIP_STATUS_OUTSIDE_IMAGE ((int32_t)0x80000784)

// Samples the rectangle into an upright 8-bit image of W x H pixels: destination pixel
// (i, j) is the value at point (i, j), rounded to nearest. The destination receives the
// new image (origin 0, 0; identity transforms). Statuses: CIMG_STATUS_UNBOUND for an
// unbound source, CIMG_STATUS_BAD_SIZE for an empty source window, CMATH_STATUS_NOT_FINITE
// or CMATH_STATUS_OUT_OF_RANGE (kit/shapes.h) for corners that are not finite or too far
// out, allocation statuses; a null rectangle is an argument error.
CKIT_API int32_t cip_affine8(const cmath_shapeAffineRect* rect, const cimg_imageConst* source,
                             cimg_image* destination);

// Projects the rectangle onto its x side: bin i of the projection is scale times the mean
// of the values at the points (i, j) that lie inside the source window, rounded to nearest
// (0 for a bin with no such point). ySamples is the number of points across the y side
// (0: H). The destination receives a new 32-bit image of 1 row and W bins (origin 0, 0;
// identity transforms); *count = W, and [*first, *last) are the bins that hold points
// inside the window (first < last). A point lies inside when its position falls on a
// window pixel. 0 <= scale <= 65536 and ySamples >= 0 (argument checks). Statuses:
// CIP_STATUS_OUTSIDE_IMAGE when no point lies inside the window (an empty window
// included; nothing is written), and those of cip_affine8.
CKIT_API int32_t cip_affineProjectNorm(const cimg_imageConst* source, cimg_image* destination,
                                       const cmath_shapeAffineRect* rect, int32_t scale,
                                       int32_t ySamples, int32_t* count, int32_t* first,
                                       int32_t* last);

#ifdef __cplusplus
}
#endif
