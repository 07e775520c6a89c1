// What the kit's filters share: the gain in fixed point, the placement of a result and the
// checks of its destination.
#include <math.h>

#include "internal.h"
#include "kit/pel.h"

uint64_t cip_filterGain16(double gain) {
  CIP_FILTER_CHECK(gain >= 0 && gain <= CS_FILTER_MAX_GAIN);  // NaN fails too
  return uint64_t(llround(gain * 65536.0));
}

void cip_filterPlacement(const csIRegion& source, const cip_filterAxis& x, const cip_filterAxis& y,
                         csVImageClientCoords* placement) {
  // Kept pixel i is centred on its kernel, x0 + i step + taps / 2 in continuous
  // coordinates, and covers one step around it.
  const cmath_vect origin{source.x + (x.taps - x.step) / 2.0, source.y + (y.taps - y.step) / 2.0};
  placement->origin = origin;
  placement->xEnd = cmath_vect{origin.x + x.step, origin.y};
  placement->yEnd = cmath_vect{origin.x, origin.y + y.step};
}

int32_t cip_filterCheckDestination(const cimg_windowConst& source, const cimg_window& destination,
                                   const cip_filterAxis& x, const cip_filterAxis& y) {
  CIP_FILTER_CHECK(destination.pixelType == CIMG_TYPE_8);
  if (destination.width != x.count || destination.height != y.count) return CIMG_STATUS_BAD_SIZE;
  return cip_pelfunc_checkMemoryOverlap(&source, &destination);
}
