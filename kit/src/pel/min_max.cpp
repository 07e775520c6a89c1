// The least and greatest pixel of an 8-bit window.
#include "internal.h"
#include "lanes.h"

extern "C" int32_t cip_pelUnaryMinMax8(const cimg_windowConst* source, uint8_t* minimum,
                                       uint8_t* maximum) {
  CIP_PEL_CHECK(source != nullptr && minimum != nullptr && maximum != nullptr);
  CIP_PEL_CHECK(source->pixelType == CIMG_TYPE_8);
  // Sixteen running extremes, one per column of a step, folded together at the end.
  cip_lanes::bytes low = cip_lanes::splat(255), high = cip_lanes::splat(0);
  uint8_t lowest = 255, highest = 0;
  for (int32_t r = 0; r < source->height; ++r) {
    const uint8_t* p = cimg_windowConst_row<uint8_t>(source, r);
    int32_t c = 0;
    for (; c + cip_lanes::count <= source->width; c += cip_lanes::count) {
      const cip_lanes::bytes v = cip_lanes::load(p + c);
      low = cip_lanes::min(low, v);
      high = cip_lanes::max(high, v);
    }
    for (; c < source->width; ++c) {
      lowest = p[c] < lowest ? p[c] : lowest;
      highest = p[c] > highest ? p[c] : highest;
    }
  }
  uint8_t lows[cip_lanes::count], highs[cip_lanes::count];
  cip_lanes::store(lows, low);
  cip_lanes::store(highs, high);
  for (int32_t i = 0; i < cip_lanes::count; ++i) {
    lowest = lows[i] < lowest ? lows[i] : lowest;
    highest = highs[i] > highest ? highs[i] : highest;
  }
  *minimum = lowest;
  *maximum = highest;
  return 0;
}
