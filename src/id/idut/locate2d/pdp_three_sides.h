// The ring finder's fallback for a ring seen on three sides (its fourth cut off or lost
// in clutter): two long perpendicular sides of the contour, completed from the contour's
// convex hull.
#pragma once

#include <stdint.h>

#include "id/idut/locate2d/boundary_analysis.h"
#include "id/idut/locate2d/pdp_quadrilateral.h"

// A contour point in the convex hull's sort: by the slope of the line from the start
// point, then by the distance from it.
struct cid2d_hullEntry {
  cid2d_point point;
  int64_t key;     // 10000 x dy / dx from the start point, raised to sort past 90 degrees
  int64_t distSq;  // from the start point
};

// The convex hull of a contour of n points by Graham scan from its topmost (then
// leftmost) point, turning clockwise on screen; *hullCount points go to hull, which holds
// n. work holds n entries for the sort. Returns 0 or the attention poll's status.
int32_t cid2d_convexHull(const cid2d_point* contour, int32_t n, cid2d_hullEntry* work,
                         cid2d_point* hull, int32_t* hullCount);

// Sorts the count segments by length and completes the ring from the longest side and the
// first one nearly perpendicular to it: the hull edges facing them give the other two
// sides when they are long enough (fourthCornerInferred 0), else lines through the hull
// points farthest from the two sides (fourthCornerInferred 1). halved is the halved
// contour, smoothed the smoothed one (n points each). Allocates the hull's work memory;
// returns 0, or a failing status of the allocation, the attention poll or the kit.
int32_t cid2d_completeRingFromThreeSides(const cid2d_point* halved, const cid2d_point* smoothed,
                                         int32_t n, cid2d_segment* segments, int32_t count,
                                         cid2d_ringFit* fit);
