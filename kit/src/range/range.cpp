// Closed intervals of doubles.
#include "kit/range.h"

extern "C" int32_t cmath_range_init(cmath_range* range, double lower, double upper) {
  if (upper < lower) return CMATH_STATUS_BAD_RANGE;
  *range = cmath_range{lower, upper};
  return 0;
}
