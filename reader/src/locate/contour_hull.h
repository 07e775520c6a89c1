// The convex hull of a tracked contour. A closed iso-contour does not cross itself, so
// its hull follows from one walk along it (Melkman's algorithm) instead of a sort.
#pragma once

#include <vector>

#include "kit/bt.h"

struct idread_hullPoint {
  double x, y;
};

// The hull's vertices counter-clockwise (x right, y up), in window pixels with pixel
// centres at + 1/2; points on a hull edge are dropped. Fewer than three vertices when the
// contour spans no area.
std::vector<idread_hullPoint> idread_contourHull(const cbt_result& contour);
