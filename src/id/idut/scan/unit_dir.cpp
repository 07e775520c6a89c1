// Unit directions in 16.16 from integer vectors of any scale.
#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"

extern "C" int32_t cidc_unitDir16_initVect(cidc_unitDir16* dir, int32_t dx, int32_t dy) {
  CIDUT_CHECK(dir != nullptr);
  constexpr int32_t one = 0x10000;
  if (dx == 0) {
    *dir = {0, dy > 0 ? one : -one};
    return 0;
  }
  if (dy == 0) {
    *dir = {dx > 0 ? one : -one, 0};
    return 0;
  }
  CIDUT_CHECK(dx != INT32_MIN && dy != INT32_MIN);  // their magnitudes must be int32
  // Bring the larger magnitude to 15 bits, so that the squares sum within 32 bits.
  int32_t m = cxfIMax(dx < 0 ? -dx : dx, dy < 0 ? -dy : dy);
  while ((m & ~0x7FFF) != 0) {
    m >>= 1;
    dx >>= 1;
    dy >>= 1;
  }
  while ((m & ~0x3FFF) == 0) {
    m <<= 1;
    dx <<= 1;
    dy <<= 1;
  }
  const uint32_t squares = uint32_t(dx * dx) + uint32_t(dy * dy);
  const int32_t length = int32_t(cmath_sqrt32(squares) & 0xFFFF);
  CIDUT_CHECK(length != 0);
  const int32_t x = (dx << 16) / length;
  const int32_t y = (dy << 16) / length;
  CIDUT_CHECK(x >= -one && x <= one);
  CIDUT_CHECK(y >= -one && y <= one);
  *dir = {x, y};
  return 0;
}
