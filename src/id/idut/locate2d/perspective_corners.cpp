// Checks of a symbol's four corners: the quadrilateral must be convex with a margin of a
// pixel, and each corner must lie inside the caller's bounds (an image window, say).
#include "ci_id/priv/ci_idut/locate2d.h"

namespace {

// The infinite line through the diagonal from a to b.
int32_t diagonalLine(const cmath_vect* a, const cmath_vect* b, cidut_line* line) {
  cidut_lineSeg diagonal;
  if (const int32_t status = cidut_lineSeg_initP1P2(&diagonal, a, b); status < 0) return status;
  return cidut_lineSeg_getLine(&diagonal, line);
}

// *inside = 1 when the crossing lies more than a pixel from both ends of the diagonal a-b:
// |a - crossing| + 1 < |a - b| and |b - crossing| + 1 < |a - b|.
int32_t crossesInside(const cmath_vect* a, const cmath_vect* b, const cmath_vect* crossing,
                      int32_t* inside) {
  double length, fromA, fromB;
  if (const int32_t status = cmath_vect_getDistance(a, b, &length); status < 0) return status;
  if (const int32_t status = cmath_vect_getDistance(a, crossing, &fromA); status < 0) return status;
  if (const int32_t status = cmath_vect_getDistance(b, crossing, &fromB); status < 0) return status;
  *inside = fromA + 1.0 < length && fromB + 1.0 < length ? 1 : 0;
  return 0;
}

bool outside(const cmath_vect& p, const cstd_rect32& bounds) {
  // In doubles, where x + width - 1 cannot overflow.
  const double left = bounds.x, top = bounds.y;
  const double right = left + bounds.width - 1.0, bottom = top + bounds.height - 1.0;
  return !(p.x >= left && p.x <= right && p.y >= top && p.y <= bottom);
}

}  // namespace

extern "C" int32_t cidut_verifyConvexHull4Points(const cmath_vect* p0, const cmath_vect* p1,
                                                 const cmath_vect* p2, const cmath_vect* p3,
                                                 int32_t* convex) {
  *convex = 0;
  cidut_line diagonal03, diagonal12;
  if (const int32_t status = diagonalLine(p0, p3, &diagonal03); status < 0) return status;
  if (const int32_t status = diagonalLine(p1, p2, &diagonal12); status < 0) return status;
  cmath_vect crossing;
  if (const int32_t status = cidut_line_getIntersection(&diagonal03, &diagonal12, &crossing);
      status < 0)
    return status;
  int32_t inside03, inside12;
  if (const int32_t status = crossesInside(p0, p3, &crossing, &inside03); status < 0) return status;
  if (const int32_t status = crossesInside(p1, p2, &crossing, &inside12); status < 0) return status;
  *convex = inside03 && inside12 ? 1 : 0;
  return 0;
}

extern "C" int32_t cidut_verifyValidBarcodeRgnCorners(const cmath_vect* p0, const cmath_vect* p1,
                                                      const cmath_vect* p2, const cmath_vect* p3,
                                                      const cstd_rect32* bounds, int32_t* defects) {
  int32_t convex;
  if (const int32_t status = cidut_verifyConvexHull4Points(p0, p1, p2, p3, &convex); status < 0)
    return status;
  int32_t found = convex ? 0 : CIDUT_CORNERS_NOT_CONVEX;
  if (outside(*p0, *bounds)) found |= CIDUT_CORNER_P0_OUTSIDE;
  if (outside(*p1, *bounds)) found |= CIDUT_CORNER_P1_OUTSIDE;
  if (outside(*p2, *bounds)) found |= CIDUT_CORNER_P2_OUTSIDE;
  if (outside(*p3, *bounds)) found |= CIDUT_CORNER_P3_OUTSIDE;
  *defects = found;
  return 0;
}
