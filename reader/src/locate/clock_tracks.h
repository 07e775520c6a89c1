// The clock-track check of a found symbol: its two sides opposite the L alternate between
// ink and space module by module, which clutter that happens to form an L (two crossing
// strokes, the corner of a box, a label's outline) does not.
#pragma once

#include "kit/image.h"
#include "idread/locate.h"

// Whether ink and space alternate at least three times each just inside both far sides
// (at one of a few depths up to an eighth of the shorter side), neither taking more than
// 85 % of a side. Ink is the grey of the L: darker or lighter than the symbol's contour
// threshold. When they do and modulePitch is given, it gets the module size the
// alternation shows (each side's span over its runs of ink and space, the mean of the two
// sides, pixels): a first guess for measuring the grid.
bool idread_symbol_hasClockTracks(const cimg_image* image, const idread_symbol& symbol,
                                  double* modulePitch = nullptr);
