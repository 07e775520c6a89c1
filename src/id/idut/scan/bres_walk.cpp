// One step of a fixed-point DDA: a pixel position and the 16.16 fraction of its minor
// coordinate advanced by one pixel along the dominant axis of a direction.
#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"
#include "id/idut/scan/fixed16.h"

extern "C" int32_t cidc_bresWalk(int32_t pixel[2], int32_t fraction[2],
                                 const int32_t direction[2]) {
  CIDUT_CHECK(pixel != nullptr);
  CIDUT_CHECK(fraction != nullptr);
  CIDUT_CHECK(direction != nullptr);
  const int majorAxis = cidc_abs64(direction[0]) <= cidc_abs64(direction[1]) ? 1 : 0;
  const int minorAxis = 1 - majorAxis;
  const int32_t major = direction[majorAxis];
  const int32_t minor = direction[minorAxis];
  const int64_t majorMagnitude = cidc_abs64(major);
  CIDUT_CHECK(cidc_abs64(minor) <= majorMagnitude);
  const int32_t quarter = static_cast<int32_t>(majorMagnitude >> 2);
  CIDUT_CHECK(quarter != 0);
  // minor / |major| in 16.16; the shift wraps for out-of-range directions, caught below.
  const int32_t increment = static_cast<int32_t>(static_cast<uint32_t>(minor) << 14) / quarter;
  CIDUT_CHECK(increment == 0 || (increment < 0) == (minor < 0));

  pixel[majorAxis] += major > 0 ? 1 : -1;
  int32_t& f = fraction[minorAxis];
  f += increment;
  if (f >= 0x10000) {
    f -= 0x10000;
    pixel[minorAxis] += 1;
  } else if (f < 0) {
    f += 0x10000;
    pixel[minorAxis] -= 1;
  }
  return 0;
}
