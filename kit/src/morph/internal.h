// Inside the grey morphology: the two extremum operations and the two ways of applying an
// element. Each way states the scratch bytes it needs before it runs, so that all
// allocation happens before the destination is touched and the passes cannot fail.
#pragma once

#include <stddef.h>

#include "../pel/lanes.h"
#include "kit/morph.h"

// Dilation takes the greatest pixel, erosion the least; neutral is the value that never
// wins.
struct cip_gmorph_greatest {
  static constexpr uint8_t neutral = 0;
  static uint8_t one(uint8_t a, uint8_t b) { return a > b ? a : b; }
  static cip_lanes::bytes many(cip_lanes::bytes a, cip_lanes::bytes b) {
    return cip_lanes::max(a, b);
  }
};
struct cip_gmorph_least {
  static constexpr uint8_t neutral = 255;
  static uint8_t one(uint8_t a, uint8_t b) { return a < b ? a : b; }
  static cip_lanes::bytes many(cip_lanes::bytes a, cip_lanes::bytes b) {
    return cip_lanes::min(a, b);
  }
};

// The square of the given radius, separably: columns then rows. The windows are of one
// size and do not overlap.
size_t cip_gmorph_squareScratchBytes(int32_t width, int32_t height, int32_t radius);
template <class Extremum>
void cip_gmorph_square(const cimg_windowConst& source, const cimg_window& destination,
                       int32_t radius, void* scratch);

// Any element, offset by offset.
size_t cip_gmorph_offsetsScratchBytes(int32_t width, int32_t height,
                                      const cip_gmorphElementArray& element);
template <class Extremum>
void cip_gmorph_offsets(const cimg_windowConst& source, const cimg_window& destination,
                        const cip_gmorphElementArray& element, void* scratch);
