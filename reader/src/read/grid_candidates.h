// The module grids a reader tries on a symbol, most likely first.
#pragma once

#include <stdint.h>

#include <utility>
#include <vector>

#include "idread/locate.h"

// Rows (along the symbol's y side) x columns (along its x side).
using idread_grid = std::pair<int32_t, int32_t>;

// The grids to try for a located symbol: the measured one; the symbol sizes within slack
// modules of it, nearest first (either way round: a mirrored symbol shows its size
// transposed); then, for a grid measured wrong, every other size whose modules come out
// near square and at least 1.5 pixels on the symbol's sides, nearest in module size first.
std::vector<idread_grid> idread_gridsForSymbol(const idread_symbol& symbol, int32_t slack);

// The symbol sizes whose sides come out in the rectangle's ratio (within 15 %), with
// modules of at least minModule pixels, nearest ratio first; x side along columns.
std::vector<idread_grid> idread_gridsForRectangle(const cmath_vect corners[4], double minModule);
