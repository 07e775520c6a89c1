// Enlarging an 8-bit window by whole factors, each pixel replicated into a block.
#include <cstring>

#include "internal.h"
#include "lanes.h"

namespace {

// One source row widened by factor into out.
void expandRow(const uint8_t* in, uint8_t* out, int32_t width, int32_t factor) {
  if (factor == 1) {
    std::memcpy(out, in, size_t(width));
    return;
  }
  int32_t c = 0;
  if (factor == 2) {
    for (; c + cip_lanes::count <= width; c += cip_lanes::count) {
      const cip_lanes::bytes v = cip_lanes::load(in + c);
      cip_lanes::store(out + 2 * c, cip_lanes::doubleLow(v));
      cip_lanes::store(out + 2 * c + cip_lanes::count, cip_lanes::doubleHigh(v));
    }
  }
  uint8_t* o = out + ptrdiff_t{c} * factor;
  for (; c < width; ++c) {
    const uint8_t v = in[c];
    for (int32_t k = 0; k < factor; ++k) *o++ = v;
  }
}

}  // namespace

extern "C" int32_t cip_pelExpand8(const cimg_windowConst* source, const cimg_window* destination,
                                  int32_t xFactor, int32_t yFactor) {
  CIP_PEL_CHECK(source != nullptr && destination != nullptr);
  CIP_PEL_CHECK(source->pixelType == CIMG_TYPE_8 && destination->pixelType == CIMG_TYPE_8);
  CIP_PEL_CHECK(xFactor >= 1 && yFactor >= 1);
  CIP_PEL_CHECK(cip_pelfunc_checkMemoryOverlap(source, destination) == 0);
  if (int64_t{source->width} * xFactor != destination->width ||
      int64_t{source->height} * yFactor != destination->height) {
    return CIMG_STATUS_BAD_SIZE;
  }
  if (destination->width == 0) return 0;
  for (int32_t r = 0; r < source->height; ++r) {
    uint8_t* first = cimg_window_row<uint8_t>(destination, r * yFactor);
    expandRow(cimg_windowConst_row<uint8_t>(source, r), first, source->width, xFactor);
    for (int32_t k = 1; k < yFactor; ++k) {
      std::memcpy(cimg_window_row<uint8_t>(destination, r * yFactor + k), first,
                  size_t(destination->width));
    }
  }
  return 0;
}
