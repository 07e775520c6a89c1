// The module grid of a found symbol, measured on its clock tracks: the two sides opposite
// the L alternate ink and space module by module, so the edges along each track, paired
// into teeth, give the module pitch along that side and the side's length over the pitch
// gives the module count. Clutter that happens to form an L shows no such teeth: a find
// whose grid cannot be measured is not a symbol.
#pragma once

#include <stdint.h>

#include "kit/image.h"
#include "idread/locate.h"

// One clock track's measure, in the frame where the symbol is a parallelogram (the
// perspective mapping undone when the symbol needs one; image pixels otherwise).
struct idread_clockTrack {
  double pitch;    // pixels per module along the track
  double modules;  // track length over pitch, not rounded
  int32_t edges;   // edges located along the track
  int32_t onGrid;  // of them, those lying on the pitch's grid
  int32_t teeth;   // ink modules paired from the edges (not extrapolated)
  int32_t slots;   // ink modules the track holds at that pitch
};

// Measures the clock track along the far side parallel to the x side (columns) and the one
// parallel to the y side (rows), `depth` pixels inside the symbol. 1 when both show
// regular teeth, 0 when not, or the status of a failing library call (no memory, a
// cancelled attention poll).
int32_t idread_measureClockTracks(const cimg_image* image, const idread_symbol& symbol,
                                  double depth, idread_clockTrack* columns, idread_clockTrack* rows);

// Measures symbol's grid and writes rows, cols and pitch into it: the tracks are sampled
// half a module inside, the module size being found by trying depths from thin modules to
// thick ones until the pitch found agrees with the depth; a pitch already in the symbol (a
// guess, such as the clock-track check gives) is tried first. 1 when
// measured; 0 when no depth shows regular teeth on both tracks, or the status of a
// failing library call; the symbol is then left as it is.
int32_t idread_measureModuleGrid(const cimg_image* image, idread_symbol* symbol);

// The DataMatrix size nearest to the measured module counts (rows, columns), when both lie
// within the snapping tolerance of it; else the measured counts rounded.
void idread_snapModuleCounts(double rows, double columns, int32_t* snappedRows,
                           int32_t* snappedColumns);
