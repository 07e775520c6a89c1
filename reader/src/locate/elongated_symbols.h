// Symbols longer than the DataMatrix finder takes: its contour check stops at sides 5 to 1,
// and the extended rectangles run to 8 x 144 modules.
#pragma once

#include <stdint.h>

#include <array>
#include <vector>

#include "idread/locate.h"

// The contours tracked from the edges on scan rows (strongest first, up to a budget of
// contour points) whose smallest enclosing rectangle is
// more than 4.5 times as long as it is wide and large enough for 8 x 48 modules of 1.5
// pixels: each rectangle's
// corners in perimeter order, client coordinates, starting at any corner (which one is
// the L's corner is for the decoder to tell); one whose centre lies in an earlier one is
// left out. Returns 0 or the first failing kit status.
int32_t idread_locateElongated(const cimg_image* image, const idread_locateOptions& options,
                               std::vector<std::array<cmath_vect, 4>>* rectangles);
