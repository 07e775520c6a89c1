// Fixed-point shapes in 1/16 pixel (28.4) coordinates: points, segments, lines and
// affine rectangles, with distances and a point-in-rectangle test in integer arithmetic.
//
// Line angles are binary angle units: 65536 per turn, 16384 a quarter turn, measured
// from the x axis towards the y axis, as read by the kit's cmath_cos16FixedPoint and
// cmath_sin16FixedPoint.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "kit/shapes.h"

#ifdef __cplusplus
extern "C" {
#endif

// A point in 1/16 pixel.
typedef struct cmath_vect32_4 {
  int32_t x;
  int32_t y;
} cmath_vect32_4;

// The parallelogram with corners po, px, py and px + py - po.
typedef struct cmath_shapeFixPtAffineRectPoints {
  cmath_vect32_4 po;
  cmath_vect32_4 px;
  cmath_vect32_4 py;
} cmath_shapeFixPtAffineRectPoints;

typedef struct cmath_shapeFixPtLineSeg {
  cmath_vect32_4 p1;
  cmath_vect32_4 p2;
} cmath_shapeFixPtLineSeg;

// The line through point with direction angle (binary angle units).
typedef struct cmath_shapeFixPtLine {
  cmath_vect32_4 point;
  uint16_t angle;
} cmath_shapeFixPtLine;

#ifdef __cplusplus
static_assert(sizeof(cmath_vect32_4) == 8, "x, y");
static_assert(sizeof(cmath_shapeFixPtAffineRectPoints) == 24, "po, px, py");
static_assert(sizeof(cmath_shapeFixPtLineSeg) == 16, "p1, p2");
static_assert(sizeof(cmath_shapeFixPtLine) == 12, "point, angle");
#endif

// The unit square: po (0, 0), px (16, 0), py (0, 16).
CIDUT_API int32_t cmath_shapeFixPtAffineRectPoints_init(cmath_shapeFixPtAffineRectPoints* rect);
// Conversions to and from the kit's rectangle in pixels; to fixed point truncates toward
// zero.
CIDUT_API int32_t cmath_shapeAffineRect_initFixPtPoints(
    cmath_shapeAffineRect* rect, const cmath_shapeFixPtAffineRectPoints* fixed);
CIDUT_API int32_t cmath_shapeAffineRect_getFixPtPoints(const cmath_shapeAffineRect* rect,
                                                       cmath_shapeFixPtAffineRectPoints* fixed);

// Distance between two points, 1/16 pixel, to within a few units: the coordinate
// differences are taken in quarter pixels. Each difference must be below 262140 in
// magnitude, and the distance below 262144 (16384 pixels), as the squares are summed in
// 32 bits.
CIDUT_API int32_t cmath_vect32_4_getDistance(const cmath_vect32_4* a, const cmath_vect32_4* b,
                                             int32_t* distance);

// The line through p1 whose angle is the direction from p2 towards p1: atan2 in radians
// times 32768 / pi, rounded, kept modulo a turn (so a half turn is 32768).
CIDUT_API int32_t cmath_shapeFixPtLineSeg_getLine(const cmath_shapeFixPtLineSeg* segment,
                                                  cmath_shapeFixPtLine* line);
// Distance from the segment: to the nearer end point beyond the ends, else from its line.
// CIDUT_ERR_SEGMENT_POINTS_COINCIDE when p1 = p2.
CIDUT_API int32_t cmath_shapeFixPtLineSeg_distanceFrom(const cmath_shapeFixPtLineSeg* segment,
                                                       const cmath_vect32_4* point,
                                                       int32_t* distance);
// Perpendicular distance from the line and distance along it from line.point (both
// unsigned), 1/16 pixel; point - line.point below 65535 in each coordinate.
CIDUT_API int32_t cmath_shapeFixPtLine_distanceFrom(const cmath_shapeFixPtLine* line,
                                                    const cmath_vect32_4* point, int32_t* distance);
CIDUT_API int32_t cmath_shapeFixPtLine_distanceAlong(const cmath_shapeFixPtLine* line,
                                                     const cmath_vect32_4* point,
                                                     int32_t* distance);
// *within = 1 when the point lies inside the rectangle (to within the few 1/16 pixel of
// the fixed-point distances), else 0.
CIDUT_API int32_t cmath_shapeFixPtAffineRectPoints_getIsWithin(
    const cmath_shapeFixPtAffineRectPoints* rect, const cmath_vect32_4* point, int32_t* within);

#ifdef __cplusplus
}
#endif
