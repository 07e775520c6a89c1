// Mapping the pixels of an 8-bit window through a 256-entry table. A table that is one
// step (low below some level, high from it on: every threshold table) is applied sixteen
// pixels at a time by a comparison instead of a lookup per pixel; both give the same bytes.
#include "internal.h"
#include "lanes.h"

namespace {

// table[v] = low for v < level, high for v >= level.
struct stepTable {
  int32_t level;
  uint8_t low;
  uint8_t high;
};

// Whether the table is one step; a constant table is one too (low = high).
bool asStep(const uint8_t* table, stepTable* step) {
  int32_t level = 1;
  while (level < 256 && table[level] == table[0]) ++level;
  for (int32_t v = level + 1; v < 256; ++v) {
    if (table[v] != table[level]) return false;
  }
  *step = stepTable{level, table[0], level < 256 ? table[level] : table[0]};
  return true;
}

// Four pixels a step: all four are read before any is written, so a row may be mapped onto
// itself.
void lookUpRow(const uint8_t* in, uint8_t* out, int32_t width, const uint8_t* table) {
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

// The step for sixteen pixels: v - (level - 1) limited at 0 is non-zero exactly from the
// level on; limited to 1 and negated it is the mask of those pixels, which selects the
// bits in which high differs from low. A level of 256 (a constant table) leaves low.
void stepRow(const uint8_t* in, uint8_t* out, int32_t width, const stepTable& step,
             const uint8_t* table) {
  const cip_lanes::bytes below = cip_lanes::splat(uint8_t(step.level - 1));
  const cip_lanes::bytes one = cip_lanes::splat(1), zero = cip_lanes::splat(0);
  const cip_lanes::bytes low = cip_lanes::splat(step.low);
  const cip_lanes::bytes flip = cip_lanes::splat(uint8_t(step.low ^ step.high));
  int32_t c = 0;
  for (; c + cip_lanes::count <= width; c += cip_lanes::count) {
    const cip_lanes::bytes above =
        cip_lanes::min(cip_lanes::subClamp(cip_lanes::load(in + c), below), one);
    const cip_lanes::bytes mask = cip_lanes::subWrap(zero, above);
    cip_lanes::store(out + c, cip_lanes::bitXor(low, cip_lanes::bitAnd(mask, flip)));
  }
  lookUpRow(in + c, out + c, width - c, table);
}

}  // namespace

extern "C" int32_t cip_pelMap8(const cimg_windowConst* source, const cimg_window* destination,
                               const uint8_t* table) {
  CIP_PEL_CHECK(table != nullptr);
  if (!cip_pel_sameSize8(source, destination)) return CIMG_STATUS_BAD_SIZE;
  const bool inPlace =
      source->pixels == destination->pixels && source->stride == destination->stride;
  CIP_PEL_CHECK(inPlace || cip_pelfunc_checkMemoryOverlap(source, destination) == 0);
  stepTable step{};
  const bool isStep = asStep(table, &step);
  for (int32_t r = 0; r < source->height; ++r) {
    const uint8_t* in = cimg_windowConst_row<uint8_t>(source, r);
    uint8_t* out = cimg_window_row<uint8_t>(destination, r);
    if (isStep)
      stepRow(in, out, source->width, step, table);
    else
      lookUpRow(in, out, source->width, table);
  }
  return 0;
}
