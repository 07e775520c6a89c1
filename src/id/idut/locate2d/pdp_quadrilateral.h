// The ring finder's quadrilateral: a ring's contour cut into exactly four straight sides
// that meet at corners of roughly right angles.
#pragma once

#include <stdint.h>

#include "id/idut/locate2d/boundary_analysis.h"
#include "id/idut/locate2d/symbol_region.h"

// A ring fitted to a contour: its corners in pixels (contour coordinates), the origin's
// sides ending at side1 and side2.
struct cid2d_ringFit {
  bool found = false;
  cid2d_symbolCorners corners{};
  int32_t fourthCornerInferred = 1;
};

// Fits the quadrilateral to four segments in contour order on the smoothed contour of n
// points: the first long enough, one of the first three clearly long, the four covering a
// third of the contour, every corner at least about 61 degrees (|tan| x 1000 >= 1804) and
// a sharp corner (below about 68 degrees) not facing a much squarer one. The corners are
// the intersections of consecutive sides.
cid2d_ringFit cid2d_fitRingQuadrilateral(const cid2d_point* smoothed, int32_t n,
                                         const cid2d_segment segments[4]);
