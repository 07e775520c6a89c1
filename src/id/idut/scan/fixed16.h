// Fixed-point helpers of the scanning core: products of 1/16 px positions and 16.16
// values, and exact absolute values.
#pragma once

#include <stdint.h>

// (a * b) >> 16 in 64 bits, rounding toward minus infinity.
inline int64_t cidc_mul16(int64_t a, int64_t b) {
  return (a * b) >> 16;
}

// |v| without overflow for any int32.
inline int64_t cidc_abs64(int64_t v) {
  return v < 0 ? -v : v;
}
