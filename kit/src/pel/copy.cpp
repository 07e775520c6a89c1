// Copying the pixels of one 8-bit window into another, overlapping windows of one image
// included.
#include <cstring>

#include "internal.h"

extern "C" int32_t cip_pelCopy8(const cimg_windowConst* source, const cimg_window* destination) {
  if (!cip_pel_sameSize8(source, destination)) return CIMG_STATUS_BAD_SIZE;
  if (source->width <= 0 || source->height <= 0) return 0;
  const size_t rowBytes = static_cast<size_t>(source->width);
  // A destination further on in memory is written bottom row first, so that no source
  // row is overwritten before it has been read; within a row memmove takes care.
  const bool bottomUp = reinterpret_cast<uintptr_t>(destination->pixels) >
                        reinterpret_cast<uintptr_t>(source->pixels);
  for (int32_t k = 0; k < source->height; ++k) {
    const int32_t r = bottomUp ? source->height - 1 - k : k;
    std::memmove(cimg_window_row<uint8_t>(destination, r), cimg_windowConst_row<uint8_t>(source, r),
                 rowBytes);
  }
  return 0;
}
