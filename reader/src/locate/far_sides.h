// The two sides of a found symbol opposite its L.
//
// The finder fits the L and completes the symbol as a parallelogram; under perspective
// the opposite corner lies elsewhere. The far sides are the symbol's clock tracks: their
// ink modules reach out to the side, the space modules leave dents one module deep. Where
// the tracked contour takes in the clock modules, its convex hull runs along each far
// side. Where it does not (clock modules that touch the rest only at their corners), the
// side is measured on the image: coming in from the quiet zone, the first ink met lies on
// the side wherever a clock module is ink, and the line most of those points share is
// the side.
#pragma once

#include "kit/bt.h"
#include "kit/image.h"
#include "idread/locate.h"

// Moves the ends of the legs and the opposite corner onto the far sides, the legs' lines
// kept; `contour` is the symbol's tracked contour (tracker points of the image's window).
// The sides on the contour are tried first, then those on the image; a measure is taken
// when it moves no corner by more than a quarter of a side and the clock tracks run along
// the new sides. Leaves the symbol as it is, and returns false, when neither is taken.
bool idread_measureFarSides(const cimg_image* image, const cbt_result& contour,
                          idread_symbol* symbol);
