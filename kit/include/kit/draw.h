// The kit's drawing: rasterising shapes into 8-bit images.
//
// Pixel membership. Pixel (i, j) covers [i, i + 1) x [j, j + 1) in image coordinates and
// belongs to a shape when its centre (i + 0.5, j + 0.5) lies inside. A centre exactly on an
// edge belongs to the shape whose interior lies towards +x from that edge or, for an edge
// along x, towards +y: left and top edges are inside, right and bottom edges outside, so an
// axis-aligned rectangle takes the centres in [x0, x1) x [y0, y1). Corners are rounded to
// the nearest 1/256 pixel and membership is then decided in exact integer arithmetic. Hence
// the pixels of a shape do not depend on how it is described (which corner is the origin,
// the sense of its sides), and shapes that share an edge take every pixel centre on it
// exactly once: adjacent shapes leave neither gaps nor overlaps.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/image.h"
#include "kit/shapes.h"
#include "kit/std.h"

#ifdef __cplusplus
extern "C" {
#endif

// Largest width or height, in pixels, of the rectangle around a shape that can be drawn.
#define CDRAW_MAX_EXTENT (1 << 21)

// Draws the parallelogram of the centre form rect (image coordinates; a rotated rectangle
// when xRotation = yRotation) into the 8-bit image: each pixel of it that lies in clip
// (image coordinates) and in the image, and whose value is from, becomes to; every other
// pixel is left as it is. A shape without area draws nothing.
// Statuses: CIMG_STATUS_UNBOUND for an unbound image; CMATH_STATUS_NOT_FINITE for a value of
// rect that is not finite; CMATH_STATUS_OUT_OF_RANGE when the rectangle around the shape is
// CDRAW_MAX_EXTENT pixels wide or high or more. Null pointers and an image that is not
// 8-bit are argument errors (cstd_assert_).
CKIT_API int32_t cdraw_rasterize_rotatedRectangle_forID(const cmath_shapeAffineRectCenter* rect,
                                                        const cstd_rect32* clip, uint8_t from,
                                                        uint8_t to, cimg_image* image);

#ifdef __cplusplus
}
#endif
