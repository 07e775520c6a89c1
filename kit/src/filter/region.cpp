// Integer regions of the filters.
#include "kit/filter.h"

extern "C" int32_t csIRegionCT(csIRegion* region, int32_t x, int32_t y, int32_t width,
                               int32_t height) {
  *region = csIRegion{x, y, width, height};
  return 0;
}

extern "C" int32_t csIRegionIsNull(const csIRegion* region) {
  return region->width <= 0 || region->height <= 0;
}
