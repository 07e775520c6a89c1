// Signed edges along rows and sampled lines, in the form the library's band-pattern
// searches take them.
#pragma once

#include <stdint.h>

#include <vector>

#include "kit/image.h"

// The signed edges of count grey values, positions counted from firstPosition: the
// position of the value before each edge whose three-value step reaches 3 x minContrast,
// positive for dark to light.
void idread_signedEdges(const uint8_t* values, int32_t count, int32_t firstPosition,
                        int32_t minContrast, std::vector<int16_t>* edges);

// The signed edges of image row y (client rows are image rows here) in the library's
// form: the column of the pixel before each edge whose three-pixel step reaches
// 3 x minContrast, positive for dark to light.
void idread_rowSignedEdges(const cimg_windowConst& window, int32_t y, int32_t minContrast,
                           std::vector<int16_t>* edges);
