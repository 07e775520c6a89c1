// Limiting an integer to a range.
#include "kit/math.h"

extern "C" int32_t cxfILimit(int32_t value, int32_t low, int32_t high) {
  return value < low ? low : value > high ? high : value;
}
