// The kit's shapes: affine rectangles (parallelograms) given by three corners, their
// centre form, bare corner triples, and infinite lines given by a direction and a point.
//
// Coordinates are the caller's (image pixels for every caller in the library); angles are
// radians from the x axis towards the y axis. Pointers are not checked. Calls that fail
// leave their outputs untouched.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/math.h"
#include "kit/std.h"

#ifdef __cplusplus
extern "C" {
#endif

// A coordinate or parameter is NaN or infinite.
#define CMATH_STATUS_NOT_FINITE ((int32_t)0x80000921)
// An enclosing integer rectangle does not fit signed 32-bit values.
#define CMATH_STATUS_OUT_OF_RANGE ((int32_t)0x80000922)
// Two shape lines have no single intersection: parallel or coincident lines, or a line
// with a zero direction.
#define CMATH_STATUS_PARALLEL_LINES ((int32_t)0x80000928)

// ---------------------------------------------------------------------------------------
// Affine rectangles.

// The parallelogram with corners Po, Px, Py and Popp = Px + Py - Po: Po is its origin, Px
// the end of its x side, Py the end of its y side. Any three points are a valid record,
// collinear ones included (see getIsDegenerate).
typedef struct cmath_shapeAffineRect {
  cmath_vect po;
  cmath_vect px;
  cmath_vect py;
} cmath_shapeAffineRect;

// Centre form. The x side runs along angle xRotation; the y side along yRotation + pi/2,
// so an unskewed rectangle rotated by a has xRotation = yRotation = a, and in image
// coordinates (y down) its y side lies a quarter turn clockwise on screen from its x side.
// The corners are
//   Po = center - (X + Y) / 2,  Px = Po + X,  Py = Po + Y,
//   X = xLength (cos xRotation, sin xRotation),  Y = yLength (-sin yRotation, cos yRotation).
// A negative length puts that side the other way round (the same as a positive length with
// the rotation turned by pi).
typedef struct cmath_shapeAffineRectCenter {
  cmath_vect center;
  double xLength;
  double yLength;
  double xRotation;
  double yRotation;
} cmath_shapeAffineRectCenter;

// The unit square: Po (0, 0), Px (1, 0), Py (0, 1).
CKIT_API int32_t cmath_shapeAffineRect_init(cmath_shapeAffineRect* rect);
// The null rectangle ("no rectangle"): all three corners at the origin.
CKIT_API int32_t cmath_shapeAffineRect_initNull(cmath_shapeAffineRect* rect);
// *isNull = 1 for the null rectangle (all six coordinates zero), else 0.
CKIT_API int32_t cmath_shapeAffineRect_getIsNull(const cmath_shapeAffineRect* rect,
                                                 int32_t* isNull);
// From points[0] = Po, points[1] = Px, points[2] = Py. CMATH_STATUS_NOT_FINITE when a
// coordinate is not finite.
CKIT_API int32_t cmath_shapeAffineRect_initPoints(cmath_shapeAffineRect* rect,
                                                  const cmath_vect points[3]);
// points[0] = Po, points[1] = Px, points[2] = Py. CMATH_STATUS_NOT_FINITE when the record
// holds a coordinate that is not finite (written into its fields directly).
CKIT_API int32_t cmath_shapeAffineRect_getPoints(const cmath_shapeAffineRect* rect,
                                                 cmath_vect points[3]);
// CMATH_STATUS_NOT_FINITE when a value of the centre form is not finite.
CKIT_API int32_t cmath_shapeAffineRect_initCenter(cmath_shapeAffineRect* rect,
                                                  const cmath_shapeAffineRectCenter* center);
// The centre form with non-negative lengths and rotations in (-pi, pi]. A side of length
// zero takes the other side's rotation (both 0 when both are zero), so that a segment or a
// point reads as unskewed. initCenter of the result gives the rectangle back.
CKIT_API int32_t cmath_shapeAffineRect_getCenter(const cmath_shapeAffineRect* rect,
                                                 cmath_shapeAffineRectCenter* center);
// |Px - Po| and |Py - Po|.
CKIT_API int32_t cmath_shapeAffineRect_getXLength(const cmath_shapeAffineRect* rect,
                                                  double* length);
CKIT_API int32_t cmath_shapeAffineRect_getYLength(const cmath_shapeAffineRect* rect,
                                                  double* length);
// (Px - Po) / |Px - Po|; CMATH_STATUS_ZERO_VECTOR when Px = Po.
CKIT_API int32_t cmath_shapeAffineRect_getUnitPoPx(const cmath_shapeAffineRect* rect,
                                                   cmath_vect* unit);
// The smallest integer rectangle holding the four corners, mapped by xform when it is not
// null: x = floor(min x), width = ceil(max x) - x, likewise y and height. A pixel (i, j)
// covers [i, i + 1) x [j, j + 1). CMATH_STATUS_NOT_FINITE for a corner that is not
// finite, CMATH_STATUS_OUT_OF_RANGE when the bounds do not fit signed 32-bit values.
CKIT_API int32_t cmath_shapeAffineRect_getEncloseImageRect(const cmath_shapeAffineRect* rect,
                                                           const cmath_xformLinear* xform,
                                                           cstd_rect32* enclosing);
// *isDegenerate = 1 when the corners are collinear up to rounding: |(Px - Po) x (Py - Po)|
// <= 1e-12 |Px - Po| |Py - Po| (a side of length zero included), else 0.
CKIT_API int32_t cmath_shapeAffineRect_getIsDegenerate(const cmath_shapeAffineRect* rect,
                                                       int32_t* isDegenerate);
// *within = 1 when the point lies in the closed parallelogram (its border included),
// else 0. A degenerate rectangle (collinear corners) contains no point.
CKIT_API int32_t cmath_shapeAffineRect_within(const cmath_shapeAffineRect* rect,
                                              const cmath_vect* point, int32_t* within);

// ---------------------------------------------------------------------------------------
// Corner triples of an affine rectangle: origin p0, x-side end p1, y-side end p2.

typedef struct cmath_shapeAffineRectPoints {
  cmath_vect p0;
  cmath_vect p1;
  cmath_vect p2;
} cmath_shapeAffineRectPoints;

CKIT_API int32_t cmath_shapeAffineRectPoints_init(cmath_shapeAffineRectPoints* points,
                                                  const cmath_vect* p0, const cmath_vect* p1,
                                                  const cmath_vect* p2);
// The completing corner p1 + p2 - p0.
CKIT_API int32_t cmath_shapeAffineRectPoints_getPopp(const cmath_shapeAffineRectPoints* points,
                                                     cmath_vect* popp);

// ---------------------------------------------------------------------------------------
// Infinite lines: the points point + t direction. The direction need not be unit length;
// its sign does not matter to the intersection.

typedef struct cmath_shapeLine {
  cmath_vect direction;
  cmath_vect point;
} cmath_shapeLine;

// The point where the two lines cross. CMATH_STATUS_PARALLEL_LINES when
// |d1 x d2| <= 1e-12 |d1| |d2| (parallel or coincident lines, or a zero direction).
CKIT_API int32_t cmath_shapeLine_intersection(const cmath_shapeLine* line1,
                                              const cmath_shapeLine* line2, cmath_vect* point);
// The point at signed distance along the line from its point, in the sense of its
// direction: point + distance * direction / |direction|. CMATH_STATUS_ZERO_VECTOR for a
// zero direction.
CKIT_API int32_t cmath_shapeLine_pointAlong(const cmath_shapeLine* line, double distance,
                                            cmath_vect* point);

#ifdef __cplusplus
}
#endif
