// Corner triples of affine rectangles.
#include "kit/shapes.h"

extern "C" int32_t cmath_shapeAffineRectPoints_init(cmath_shapeAffineRectPoints* points,
                                                    const cmath_vect* p0, const cmath_vect* p1,
                                                    const cmath_vect* p2) {
  *points = cmath_shapeAffineRectPoints{*p0, *p1, *p2};
  return 0;
}

extern "C" int32_t cmath_shapeAffineRectPoints_getPopp(const cmath_shapeAffineRectPoints* points,
                                                       cmath_vect* popp) {
  *popp = cmath_vect{points->p1.x + points->p2.x - points->p0.x,
                     points->p1.y + points->p2.y - points->p0.y};
  return 0;
}
