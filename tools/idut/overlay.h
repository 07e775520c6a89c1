// Drawing found symbols over a picture: the quadrilateral in green and, for symbols with
// an L finder, the two legs of the L in red with a red dot on its corner.
#pragma once

#include <vector>

#include "image_file.h"
#include "idread/locate.h"

void idut_drawSymbols(idut_rgbPicture* picture, const std::vector<idread_symbol>& symbols,
                      bool markL);
// One quadrilateral (perimeter order) in green, and a red line from `from` to `to`.
void idut_drawQuadrilateral(idut_rgbPicture* picture, const cmath_vect corners[4]);
void idut_drawMarker(idut_rgbPicture* picture, const cmath_vect& from, const cmath_vect& to);
