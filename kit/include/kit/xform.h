// The kit's non-linear transforms: perspective transforms (plane homographies) and the
// general transform that carries either a linear or a perspective transform.
//
// Pointers are not checked. Calls that fail leave their outputs untouched.
#pragma once

#include <math.h>
#include <stdint.h>

#include "kit/export.h"
#include "kit/math.h"

#ifdef __cplusplus
extern "C" {
#endif

// A point list of a size the call does not take.
#define CMATH_STATUS_BAD_POINT_COUNT ((int32_t)0x80000941)
// Point pairs that determine no unique perspective transform (three collinear points in
// either list; coinciding points included).
#define CMATH_STATUS_DEGENERATE_POINTS ((int32_t)0x80000942)
// The point lies on the transform's horizon line: its image is at infinity.
#define CMATH_STATUS_AT_HORIZON ((int32_t)0x80000943)
// A general transform whose kind is neither linear nor perspective.
#define CMATH_STATUS_BAD_XFORM_KIND ((int32_t)0x80000944)

// ---------------------------------------------------------------------------------------
// Perspective transforms. h is a 3x3 matrix, row-major, acting on homogeneous points:
//   w = h[2][0] x + h[2][1] y + h[2][2],
//   x' = (h[0][0] x + h[0][1] y + h[0][2]) / w,   y' = (h[1][0] x + h[1][1] y + h[1][2]) / w.
// The overall scale of h is free; the calls keep it at Frobenius norm 1 (a transform built
// from points has w > 0 at source[0]). The record holds
// no resources: construct and destruct only mark its lifetime, so that it can follow the
// construct / use / destruct protocol (and cleanup records) of resource-owning records.

typedef struct cmath_xformPerspective {
  double h[3][3];
} cmath_xformPerspective;

// The identity.
CKIT_API int32_t cmath_xformPerspective_construct(cmath_xformPerspective* xform);
// Ends the record's lifetime (clears it). Always 0.
CKIT_API int32_t cmath_xformPerspective_destruct(cmath_xformPerspective* xform);
// Constructs the transform that maps source[i] to destination[i] for i = 0..3, solved in
// closed form (exact up to rounding). count must be 4 (CMATH_STATUS_BAD_POINT_COUNT).
// Three collinear points among the sources or among the destinations (twice the area of
// their triangle at most 1e-10 times its longest side squared; coinciding points and
// non-finite coordinates included) give CMATH_STATUS_DEGENERATE_POINTS. The two lists
// may share points or be the same array; an affine correspondence (parallelograms) gives
// a transform with h[2][0] = h[2][1] = 0. On failure the record is not constructed.
CKIT_API int32_t cmath_xformPerspective_constructPointsAllowNonUnique(cmath_xformPerspective* xform,
                                                                      const cmath_vect* source,
                                                                      const cmath_vect* destination,
                                                                      int32_t count);
// The inverse transform, into a constructed record (may alias). CMATH_STATUS_SINGULAR when
// |det h| <= 1e-12 times the product of the row lengths of h.
CKIT_API int32_t cmath_xformPerspective_getInverse(const cmath_xformPerspective* xform,
                                                   cmath_xformPerspective* inverse);
// out = the image of p (may alias). CMATH_STATUS_AT_HORIZON when |w| <= 1e-12 times the sum
// of the magnitudes of its three terms. A point beyond the horizon (w < 0) is mapped like
// any other.
CKIT_API int32_t cmath_xformPerspective_mapPoint(const cmath_xformPerspective* xform,
                                                 const cmath_vect* p, cmath_vect* out);
// The homogeneous weight w of p's image (its third coordinate), inline, with the horizon
// test of cmath_xformPerspective_mapPoint.
static inline int32_t cmath_xformPerspective_weightInline(const cmath_xformPerspective* xform,
                                                          const cmath_vect* p, double* w) {
  const double wx = xform->h[2][0] * p->x, wy = xform->h[2][1] * p->y;
  *w = wx + wy + xform->h[2][2];
  return fabs(*w) > 1e-12 * (fabs(wx) + fabs(wy) + fabs(xform->h[2][2])) ? 0
                                                                            : CMATH_STATUS_AT_HORIZON;
}
// cmath_xformPerspective_mapPoint, inline, for loops that map a point at a time.
static inline int32_t cmath_xformPerspective_mapPointInline(const cmath_xformPerspective* xform,
                                                            const cmath_vect* p, cmath_vect* out) {
  double w;
  if (cmath_xformPerspective_weightInline(xform, p, &w) < 0) return CMATH_STATUS_AT_HORIZON;
  const double x = (xform->h[0][0] * p->x + xform->h[0][1] * p->y + xform->h[0][2]) / w;
  const double y = (xform->h[1][0] * p->x + xform->h[1][1] * p->y + xform->h[1][2]) / w;
  out->x = x;
  out->y = y;
  return 0;
}

// ---------------------------------------------------------------------------------------
// General transforms: a tagged copy of a linear or a perspective transform, so that one
// call can take either. Only the member named by kind is meaningful.

enum {
  CMATH_XFORM_LINEAR = 1,
  CMATH_XFORM_PERSPECTIVE = 2,
};

typedef struct cmath_xform {
  int32_t kind;
  cmath_xformLinear linear;
  cmath_xformPerspective perspective;
} cmath_xform;

CKIT_API int32_t cmath_xform_initLinear(cmath_xform* xform, const cmath_xformLinear* linear);
CKIT_API int32_t cmath_xform_initPerspective(cmath_xform* xform,
                                             const cmath_xformPerspective* perspective);
// out = the image of p (may alias), with the failures of the transform's own mapPoint;
// CMATH_STATUS_BAD_XFORM_KIND for an unknown kind.
CKIT_API int32_t cmath_xform_mapPoint(const cmath_xform* xform, const cmath_vect* p,
                                      cmath_vect* out);

#ifdef __cplusplus
}
#endif
