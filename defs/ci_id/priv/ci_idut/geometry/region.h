// The symbol region: a quadrilateral with four named corners, either a parallelogram
// (affine) or the image of a rectangle under a perspective mapping (general, convex).
// Its constructors, its queries and its fixed-point copy for fast scanning.
//
// Corners: Po the origin, Px the end of the X side from Po, Py the end of the Y side from
// Po, Popp opposite Po. X sides: Po-Px (first), Py-Popp (second); Y sides: Po-Py (first),
// Px-Popp (second). Perimeter order: Po, Px, Popp, Py. The X direction runs from the first
// Y side towards the second, the Y direction from the first X side towards the second.
//
// Centre segments respect perspective: the X centre segment runs from the first Y side to
// the second through the centre point (where the diagonals cross), along the line towards
// the point where the X sides meet; likewise in Y. For a parallelogram they join the
// midpoints of opposite sides.
//
// Output regions may be the input region itself. A failing call leaves its output
// incomplete; it must not be used.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "ci_id/priv/ci_idut/geometry/line.h"
#include "ci_id/priv/ci_idut/vector.h"
#include "kit/math.h"
#include "kit/shapes.h"
#include "kit/std.h"
#include "kit/xform.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct cid_region {
  cmath_vect Po;
  cmath_vect Px;
  cmath_vect Py;
  cmath_vect Popp;
  int32_t tightness[4];  // one flag per corner, in the order Po, Py, Px, Popp
  int32_t affine;        // non-zero: a parallelogram, Popp = Px + Py - Po
} cid_region;

// The region in 24.8 fixed point (1/256 pixel) for scanning; tightness is not carried.
typedef struct cid_fixedRegion {
  int32_t PoX, PoY;
  int32_t PxX, PxY;
  int32_t PyX, PyY;
  int32_t PoppX, PoppY;
  int32_t affine;
} cid_fixedRegion;

#ifdef __cplusplus
static_assert(offsetof(cid_region, Popp) == 48 && offsetof(cid_region, tightness) == 64 &&
                  offsetof(cid_region, affine) == 80 && sizeof(cid_region) == 88,
              "cid_region layout");
static_assert(sizeof(cid_fixedRegion) == 36, "cid_fixedRegion layout");
#endif

// ---------------------------------------------------------------------------------------
// Construction. Unless said otherwise the constructors from points, lines and affine
// rectangles set all four tightness flags to 1.

// The unit square (0, 0), (1, 0), (0, 1), (1, 1), affine.
CIDUT_API int32_t cid_region_init(cid_region* region);
// Without Popp: the parallelogram, Popp = Px + Py - Po, affine. With Popp: general.
CIDUT_API int32_t cid_region_initPoPxPyPopp(cid_region* region, const cmath_vect* Po,
                                            const cmath_vect* Px, const cmath_vect* Py,
                                            const cmath_vect* Popp);
// points = Po, Px, Py; Popp as above.
CIDUT_API int32_t cid_region_initAffineRectPoints(cid_region* region, const cmath_vect points[3],
                                                  const cmath_vect* Popp);
CIDUT_API int32_t cid_region_initAffineRect(cid_region* region, const cmath_shapeAffineRect* rect,
                                            const cmath_vect* Popp);
CIDUT_API int32_t cid_region_initAffineRectCenter(cid_region* region,
                                                  const cmath_shapeAffineRectCenter* rect,
                                                  const cmath_vect* Popp);
// Four corners Po, Px, Py, Popp, or in perimeter order Po, Px, Popp, Py when perimeterOrder
// is non-zero. General (affine 0). The get calls write the same correspondence.
CIDUT_API int32_t cid_region_initVectPoints(cid_region* region, const cmath_vect points[4],
                                            int32_t perimeterOrder);
// As initVectPoints from eight doubles x0, y0, x1, y1, ...
CIDUT_API int32_t cid_region_initPoints(cid_region* region, const double points[8],
                                        int32_t perimeterOrder);
CIDUT_API int32_t cid_region_getVectPoints(const cid_region* region, cmath_vect points[4],
                                           int32_t perimeterOrder);
CIDUT_API int32_t cid_region_getPoints(const cid_region* region, double points[8],
                                       int32_t perimeterOrder);
// Side lines. ySides: [first Y side (point Po, direction Py - Po), second Y side (point Px,
// direction Popp - Px)]; xSides: [first X side (point Po, direction Px - Po), second X side
// (point Py, direction Popp - Py)]. initLines takes the corners where they cross (general).
CIDUT_API int32_t cid_region_initLines(cid_region* region, const cmath_shapeLine ySides[2],
                                       const cmath_shapeLine xSides[2]);
CIDUT_API int32_t cid_region_getLines(const cid_region* region, cmath_shapeLine ySides[2],
                                      cmath_shapeLine xSides[2]);

// Exchange the ends of the X sides (Po <-> Px, Py <-> Popp) or of the Y sides. Tightness
// and affine flags are copied unchanged.
CIDUT_API int32_t cid_region_initFlipX(cid_region* region, const cid_region* in);
CIDUT_API int32_t cid_region_initFlipY(cid_region* region, const cid_region* in);
// Turns the corner names quarterTurns steps along the perimeter (1: Po takes the old Px, Px
// the old Popp, Py the old Po); the flags follow their corners. quarterTurns % 4 must not
// be negative.
CIDUT_API int32_t cid_region_initRotatePoints(cid_region* region, int32_t quarterTurns,
                                              const cid_region* in);
CIDUT_API int32_t cid_region_initShift(cid_region* region, const cmath_vect* shift,
                                       const cid_region* in);
// Each corner mapped; flags copied.
CIDUT_API int32_t cid_region_initMap(cid_region* region, const cmath_xformLinear* xform,
                                     const cid_region* in);
// Each corner mapped; tightness copied; the result is general.
CIDUT_API int32_t cid_region_initMapPersp(cid_region* region, const cmath_xformPerspective* xform,
                                          const cid_region* in);
CIDUT_API int32_t cid_region_copyTightness(cid_region* region, const cid_region* in);

// The affine rectangle (Po, Px, Py) of the corners as they are, and Popp.
CIDUT_API int32_t cid_region_getAffineRectAndPopp(const cid_region* region,
                                                  cmath_shapeAffineRect* rect, cmath_vect* Popp);
// The parallelogram spanned by the centre segments, centred on the centre point.
CIDUT_API int32_t cid_region_initMakeAffine(cid_region* region, const cid_region* in);
// The affine rectangle of the region, made affine first when it is general.
CIDUT_API int32_t cid_region_getAffineRect(const cid_region* region, cmath_shapeAffineRect* rect);

// A region with the perspective of reference: its Y sides pass through the ends of
// xSegment, its X sides through the ends of ySegment, pointing where the reference's
// sides meet. A null segment keeps the region's own sides (for an affine reference, its
// midpoint segment). Tightness from region.
CIDUT_API int32_t cid_region_initBoundPoints(cid_region* out, const cidut_lineSeg* xSegment,
                                             const cidut_lineSeg* ySegment,
                                             const cid_region* region, const cid_region* reference);
// The region re-drawn in the reference's perspective, keeping its extent along the chosen
// centre segments. An affine reference gives the region unchanged.
CIDUT_API int32_t cid_region_initChangePersp(cid_region* out, const cid_region* region,
                                             const cid_region* reference, int32_t keepX,
                                             int32_t keepY);

// Dilation along the centre segments, in the region's own perspective: each end of the X
// centre segment moves outwards by (scale[0] - 1) / 2 of its length plus distance[0], the
// Y ends likewise. Negative amounts shrink. A centre segment of length zero is an argument
// error when distances are given.
CIDUT_API int32_t cid_region_initDilate(cid_region* out, const double scale[2],
                                        const double distance[2], const cid_region* in);
// Dilation in X only. A general region with all tightness flags zero is widened by a
// direct shift of its Y sides along the line joining their midpoints.
CIDUT_API int32_t cid_region_initDilateX(cid_region* out, double scale, double distance,
                                         const cid_region* in);
// Dilation of one dimension (non-zero: X) at the chosen ends of its centre segment.
CIDUT_API int32_t cid_region_initDilateDim(cid_region* out, int32_t xDimension, int32_t lowEnd,
                                           int32_t highEnd, const double* scale,
                                           const double* distance, const cid_region* in);

// ---------------------------------------------------------------------------------------
// Queries. which non-zero selects the first side of a family (through Po), zero the
// second (through Popp). Angles are radians.

// First X side Px - Po, second Popp - Py; first Y side Py - Po, second Popp - Px.
CIDUT_API int32_t cid_region_getXVect(const cid_region* region, int32_t which, cmath_vect* v);
CIDUT_API int32_t cid_region_getYVect(const cid_region* region, int32_t which, cmath_vect* v);
CIDUT_API int32_t cid_region_getXAngle(const cid_region* region, int32_t which, double* angle);
CIDUT_API int32_t cid_region_getYAngle(const cid_region* region, int32_t which, double* angle);
CIDUT_API int32_t cid_region_getXLength(const cid_region* region, int32_t which, double* length);
CIDUT_API int32_t cid_region_getYLength(const cid_region* region, int32_t which, double* length);
// The lengths of the two sides of a family, shorter first.
CIDUT_API int32_t cid_region_getXLengths(const cid_region* region, double* shorter, double* longer);
CIDUT_API int32_t cid_region_getYLengths(const cid_region* region, double* shorter, double* longer);

CIDUT_API int32_t cid_region_getXCenterSegment(const cid_region* region, cidut_lineSeg* segment);
CIDUT_API int32_t cid_region_getYCenterSegment(const cid_region* region, cidut_lineSeg* segment);
CIDUT_API int32_t cid_region_getCenterSegments(const cid_region* region, cmath_vect* center,
                                               cidut_lineSeg* xSegment, cidut_lineSeg* ySegment);
// Where the diagonals cross (the midpoint of Po and Popp when they are parallel).
CIDUT_API int32_t cid_region_getCenter(const cid_region* region, cmath_vect* center);

// Unit direction, angle and length of the centre segment (of the first side when affine).
// A zero direction reads as (1, 0) in X and (0, 1) in Y.
CIDUT_API int32_t cid_region_getAvXUnitDir(const cid_region* region, cmath_vect* unit);
CIDUT_API int32_t cid_region_getAvYUnitDir(const cid_region* region, cmath_vect* unit);
CIDUT_API int32_t cid_region_getAvXAngle(const cid_region* region, double* angle);
CIDUT_API int32_t cid_region_getAvYAngle(const cid_region* region, double* angle);
CIDUT_API int32_t cid_region_getAvXLength(const cid_region* region, double* length);
CIDUT_API int32_t cid_region_getAvYLength(const cid_region* region, double* length);

// The local X or Y direction at a point: towards where that family of sides meets, in the
// sense of the second side. The unit direction is (0, 0) where it vanishes.
CIDUT_API int32_t cid_region_getXDirAtPoint(const cid_region* region, const cmath_vect* point,
                                            cmath_vect* unit);
CIDUT_API int32_t cid_region_getYDirAtPoint(const cid_region* region, const cmath_vect* point,
                                            cmath_vect* unit);
CIDUT_API int32_t cid_region_getXAngleAtPoint(const cid_region* region, const cmath_vect* point,
                                              double* angle);
CIDUT_API int32_t cid_region_getYAngleAtPoint(const cid_region* region, const cmath_vect* point,
                                              double* angle);

// The shorter over the longer half of the centre segment, in (0, 1]; 1 when affine.
CIDUT_API int32_t cid_region_getXForshortening(const cid_region* region, double* ratio);
CIDUT_API int32_t cid_region_getYForshortening(const cid_region* region, double* ratio);

// 1 when a corner is sharper than about 3.1 degrees or flatter than about 176.9 degrees, a
// corner has no area, or the outline is not convex; else 0.
CIDUT_API int32_t cid_region_getIsDegenerate(const cid_region* region, int32_t* isDegenerate);
// 1 when the point is inside. Points on the Py-Po edge count as outside when the interior
// lies on the positive side of the outline, points on the other edges as inside.
CIDUT_API int32_t cid_region_within(const cid_region* region, const cmath_vect* point,
                                    int32_t* within);
// Axis-aligned bounds rect = x, y, width, height of the corners, mapped by xform first
// when it is not null.
CIDUT_API int32_t cid_region_getEncloseRect(const cid_region* region,
                                            const cmath_xformLinear* xform, double rect[4]);
// The same bounds rounded outwards to whole pixels.
CIDUT_API int32_t cid_region_getEncloseImageRect(const cid_region* region,
                                                 const cmath_xformLinear* xform, cstd_rect32* rect);
// 1 when the integer bounds lie inside imageRect.
CIDUT_API int32_t cid_region_isWithinImageRect(const cid_region* region,
                                               const cmath_xformLinear* xform,
                                               const cstd_rect32* imageRect, int32_t* within);

// ---------------------------------------------------------------------------------------
// Fixed-point region.

// Each coordinate rounded to the nearest 1/256 pixel, halves upwards: trunc(v * 256 + 0.5),
// for negative v trunc(v * 256 - 0.4999999999). The affine flag is copied.
CIDUT_API int32_t cid_fixedRegion_initRegion(cid_fixedRegion* fixed, const cid_region* region);
// n scans from the first Y side to the second, at the centres of n equal bands along Y:
// starts = the first scan's start and end point (x, y, x, y); steps = what each next scan
// adds to them. n must be at least 1.
CIDUT_API int32_t cid_fixedRegion_sampleScans(const cid_fixedRegion* fixed, int32_t n,
                                              int32_t starts[4], int32_t steps[4]);

// ---------------------------------------------------------------------------------------
// Lists of regions: cstd_vector_cid_region, whose new elements are unit squares.

CIDUT_DECLARE_TYPED_VECTOR(cid_region)
CIDUT_DECLARE_TYPE_CHECKS(cstd_vector_cid_region)

#ifdef __cplusplus
}
#endif
