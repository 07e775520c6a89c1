// Fixed-point square root and trigonometry.
#include <cmath>
#include <numbers>

#include "kit/math.h"

extern "C" uint32_t cmath_sqrt32(uint32_t value) {
  // Bit-by-bit integer square root: exact floor, no floating point.
  uint32_t root = 0;
  uint32_t bit = 1u << 30;
  while (bit > value) bit >>= 2;
  while (bit != 0) {
    if (value >= root + bit) {
      value -= root + bit;
      root = (root >> 1) + bit;
    } else {
      root >>= 1;
    }
    bit >>= 2;
  }
  return root;
}

namespace {

// Sine of a binary angle, reduced to the first quadrant so that the results are exactly
// symmetric (sin of a quarter turn is exactly one, of a half turn exactly zero).
int32_t sineFixed(int32_t angle, int32_t fractionalBits) {
  const uint32_t a = static_cast<uint32_t>(angle) & 0xFFFFu;
  const uint32_t quadrant = a >> 14;
  uint32_t offset = a & 0x3FFFu;
  if (quadrant & 1u) offset = 0x4000u - offset;
  const double radians = offset * (std::numbers::pi / 32768.0);
  const int32_t magnitude =
      static_cast<int32_t>(std::lround(std::ldexp(std::sin(radians), fractionalBits)));
  return quadrant & 2u ? -magnitude : magnitude;
}

}  // namespace

extern "C" int32_t cmath_sin16FixedPoint(int32_t angle, int32_t fractionalBits) {
  return sineFixed(angle, fractionalBits);
}

extern "C" int32_t cmath_cos16FixedPoint(int32_t angle, int32_t fractionalBits) {
  return sineFixed(angle + 0x4000, fractionalBits);
}

extern "C" int32_t cxfIMax(int32_t a, int32_t b) { return a < b ? b : a; }
