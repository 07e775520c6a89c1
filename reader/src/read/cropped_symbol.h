// An image cut to a symbol's own edges: no quiet zone for the finder's L to stand out
// against, so the symbol is taken to be the box around the image's ink.
#pragma once

#include <array>

#include "kit/image.h"

// The box around the dark pixels of a small window (at most cropLimit pixels on each
// side), dark meaning below the middle of the window's grey range: corners in perimeter
// order, client coordinates. False for a larger window or one without contrast.
constexpr int32_t idread_cropLimit = 400;
bool idread_croppedSymbolBox(const cimg_image* image, std::array<cmath_vect, 4>* corners);
