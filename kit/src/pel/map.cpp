// Mapping the pixels of an 8-bit window through a 256-entry table.
#include "internal.h"

namespace {

// Four pixels a step: all four are read before any is written, so a row may be mapped onto
// itself.
void mapRow(const uint8_t* in, uint8_t* out, int32_t width, const uint8_t* table) {
  int32_t c = 0;
  for (; c + 4 <= width; c += 4) {
    const uint8_t v0 = table[in[c]], v1 = table[in[c + 1]];
    const uint8_t v2 = table[in[c + 2]], v3 = table[in[c + 3]];
    out[c] = v0;
    out[c + 1] = v1;
    out[c + 2] = v2;
    out[c + 3] = v3;
  }
  for (; c < width; ++c) out[c] = table[in[c]];
}

}  // namespace

extern "C" int32_t cip_pelMap8(const cimg_windowConst* source, const cimg_window* destination,
                               const uint8_t* table) {
  CIP_PEL_CHECK(table != nullptr);
  if (!cip_pel_sameSize8(source, destination)) return CIMG_STATUS_BAD_SIZE;
  const bool inPlace =
      source->pixels == destination->pixels && source->stride == destination->stride;
  CIP_PEL_CHECK(inPlace || cip_pelfunc_checkMemoryOverlap(source, destination) == 0);
  for (int32_t r = 0; r < source->height; ++r) {
    mapRow(cimg_windowConst_row<uint8_t>(source, r), cimg_window_row<uint8_t>(destination, r),
           source->width, table);
  }
  return 0;
}
