// Directed lines and line segments in the caller's frame (image pixels for
// every caller in the library). Angles are radians from the x axis towards the y axis.
//
// Signed distance of a point p from a line (pos, dir):
//   (p.x - pos.x) * dir.y - (p.y - pos.y) * dir.x,
// positive on the side of the normal (dir.y, -dir.x).
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "kit/math.h"
#include "kit/shapes.h"

#ifdef __cplusplus
extern "C" {
#endif

// An infinite directed line. dir has length 1 for every line built here; the operations
// rely on it. A line whose construction failed is all zero.
typedef struct cidut_line {
  cmath_vect pos;  // a point on the line
  cmath_vect dir;  // unit direction
} cidut_line;

// A segment from p1 to p2.
typedef struct cidut_lineSeg {
  cmath_vect p1;
  cmath_vect p2;
} cidut_lineSeg;

// dir = (cos angle, sin angle), pos = point.
CIDUT_API int32_t cidut_line_initAngPos(cidut_line* line, double angle, const cmath_vect* point);
// dir = direction / |direction|; CIDUT_ERR_BAD_DIRECTION when |direction| < 1e-5.
CIDUT_API int32_t cidut_line_initDirPos(cidut_line* line, const cmath_vect* direction,
                                        const cmath_vect* point);
// The line of the given direction angle from which the origin lies at the given signed
// distance; CIDUT_ERR_BAD_DIRECTION for a negative distance.
CIDUT_API int32_t cidut_line_initAngDis(cidut_line* line, double angle, double distance);
// CIDUT_ERR_PARALLEL (point untouched) for parallel lines.
CIDUT_API int32_t cidut_line_getIntersection(const cidut_line* line1, const cidut_line* line2,
                                             cmath_vect* point);
// Foot of the perpendicular from point.
CIDUT_API int32_t cidut_line_projectPoint(const cidut_line* line, const cmath_vect* point,
                                          cmath_vect* foot);
CIDUT_API int32_t cidut_line_getDistToPoint(const cidut_line* line, const cmath_vect* point,
                                            double* distance);

CIDUT_API int32_t cidut_lineSeg_initP1P2(cidut_lineSeg* segment, const cmath_vect* p1,
                                         const cmath_vect* p2);
// pos = p1, dir = unit vector from p1 to p2; CIDUT_ERR_DEGENERATE_SEGMENT when p1 = p2.
CIDUT_API int32_t cidut_lineSeg_getLine(const cidut_lineSeg* segment, cidut_line* line);
// Direction angle of p2 - p1.
CIDUT_API int32_t cidut_lineSeg_getAngle(const cidut_lineSeg* segment, double* angle);
// Signed distance from the segment's infinite line.
CIDUT_API int32_t cidut_lineSeg_getDistToPoint(const cidut_lineSeg* segment,
                                               const cmath_vect* point, double* distance);
// Intersection of the two segments' infinite lines (it may lie outside both segments);
// CIDUT_ERR_PARALLEL (point untouched) for parallel segments.
CIDUT_API int32_t cidut_lineSeg_getIntersection(const cidut_lineSeg* segment1,
                                                const cidut_lineSeg* segment2,
                                                cmath_vect* point);

// The kit's point-in-affine-rectangle test, exported by the library unchanged.
CIDUT_API int32_t cf_affineRect_within(const cmath_shapeAffineRect* rect, const cmath_vect* point,
                                       int32_t* within);

#ifdef __cplusplus
}
#endif
