// Finder scoring and copying of module matrix views.
#include "datamatrix/matrix_view.h"

int32_t idread_matrixView::finderMismatches() const {
  int32_t mismatches = 0;
  for (int32_t r = 0; r < rows; ++r) {
    mismatches += !dark(r, 0);
    mismatches += dark(r, columns - 1) != (r % 2 == 1);
  }
  for (int32_t c = 0; c < columns; ++c) {
    mismatches += !dark(rows - 1, c);
    mismatches += dark(0, c) != (c % 2 == 0);
  }
  return mismatches;
}

void idread_matrixView::copyTo(uint8_t* destination) const {
  for (int32_t r = 0; r < rows; ++r) {
    const uint8_t* source = origin + r * rowStep;
    for (int32_t c = 0; c < columns; ++c, source += columnStep) *destination++ = *source;
  }
}
