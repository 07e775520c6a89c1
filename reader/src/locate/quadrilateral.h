// Point in a convex quadrilateral, for the reader's loops that skip what a find covers.
#pragma once

#include <stdint.h>

#include "kit/math.h"

// Whether p lies strictly inside the convex quadrilateral of the four corners (perimeter
// order, either way round).
inline bool idread_isInsideQuadrilateral(const cmath_vect& p, const cmath_vect* corners) {
  int32_t sides = 0;
  for (int32_t k = 0; k < 4; ++k) {
    const cmath_vect& a = corners[k];
    const cmath_vect& b = corners[(k + 1) % 4];
    sides += (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x) > 0 ? 1 : -1;
  }
  return sides == 4 || sides == -4;
}
