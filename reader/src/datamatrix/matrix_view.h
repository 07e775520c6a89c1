// A module matrix seen through strides, so that a transposed or reflected reading needs
// no copy until its orientation is chosen.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "idread/datamatrix.h"

struct idread_matrixView {
  const uint8_t* origin;  // module (0, 0)
  ptrdiff_t rowStep;      // bytes from (r, c) to (r + 1, c)
  ptrdiff_t columnStep;   // bytes from (r, c) to (r, c + 1)
  int32_t rows;
  int32_t columns;

  bool dark(int32_t r, int32_t c) const {
    return (origin[r * rowStep + c * columnStep] & IDREAD_MODULE_DARK) != 0;
  }

  // Rows and columns swapped.
  idread_matrixView transposed() const {
    return {origin, columnStep, rowStep, columns, rows};
  }
  // Reflected about the diagonal through the bottom-left corner, which keeps the L of an
  // upright symbol in place: (r, c) shows (rows - 1 - c, columns - 1 - r).
  idread_matrixView reflectedAboutCorner() const {
    return {origin + (rows - 1) * rowStep + (columns - 1) * columnStep, -columnStep, -rowStep,
            columns, rows};
  }
  // Modules that break the solid L (left column, bottom row) or the clock tracks (top row
  // and right column, dark at even columns and odd rows) of an upright symbol.
  int32_t finderMismatches() const;
  // Copies the modules row by row into rows x columns bytes.
  void copyTo(uint8_t* destination) const;
};
