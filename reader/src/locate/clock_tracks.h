// The clock-track check of a found symbol: its two sides opposite the L alternate between
// ink and space module by module, which clutter that happens to form an L (two crossing
// strokes, the corner of a box, a label's outline) does not.
#pragma once

#include <stdint.h>

#include "kit/image.h"
#include "idread/locate.h"

// What the check saw on each far side: the span followed (pixels, the side less its ends)
// and the runs of ink and space along it. The span over the runs is the module size the
// alternation shows, a first guess for measuring the grid; the runs count how cleanly a
// side follows the clock track (a side cutting across data modules meets fewer).
struct ccClockTrackCheck {
  struct side {
    double span = 0;
    int32_t runs = 0;
  } x, y;  // the sides through the x side's end and through the y side's end
  double modulePitch() const { return (x.span / x.runs + y.span / y.runs) / 2; }
  int32_t runs() const { return x.runs + y.runs; }
};

// Whether ink and space alternate at least three times each just inside both far sides
// (at one of a few depths up to an eighth of the shorter side), neither taking more than
// 85 % of a side. Ink is the grey of the L: darker or lighter than the symbol's contour
// threshold. When they do and `check` is given, it gets what the check saw.
bool idread_symbol_hasClockTracks(const cimg_image* image, const idread_symbol& symbol,
                                  ccClockTrackCheck* check = nullptr);
