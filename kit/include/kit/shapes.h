// The kit's shapes: affine rectangles (parallelograms) given by three corners.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/math.h"

#ifdef __cplusplus
extern "C" {
#endif

// The parallelogram with corners Po, Px, Py and Px + Py - Po: Po is its origin, Px the
// end of its x side, Py the end of its y side.
typedef struct cmath_shapeAffineRect {
  cmath_vect po;
  cmath_vect px;
  cmath_vect py;
} cmath_shapeAffineRect;

// *within = 1 when the point lies in the closed parallelogram (its border included),
// else 0. A degenerate rectangle (collinear corners) contains no point.
CKIT_API int32_t cmath_shapeAffineRect_within(const cmath_shapeAffineRect* rect,
                                              const cmath_vect* point, int32_t* within);

#ifdef __cplusplus
}
#endif
