// Drawing found symbols over a picture: the quadrilateral in green, the two legs of its L
// in red, and a red dot on the L's corner.
#pragma once

#include <vector>

#include "image_file.h"
#include "locate_all.h"

void idut_drawSymbols(idut_rgbPicture* picture, const std::vector<idut_symbol>& symbols);
