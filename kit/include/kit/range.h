// The kit's closed interval of doubles, [lower, upper], as a plain record (for example an
// allowed width relative to an expected width: lower 0.3, upper 1.7).
#pragma once

#include <stdint.h>

#include "kit/export.h"

#ifdef __cplusplus
extern "C" {
#endif

// The upper bound lies below the lower bound.
#define CMATH_STATUS_BAD_RANGE ((int32_t)0x80000586)

typedef struct cmath_range {
  double lower;
  double upper;
} cmath_range;

// CMATH_STATUS_BAD_RANGE (range untouched) when upper < lower; equal bounds are a single
// point.
CKIT_API int32_t cmath_range_init(cmath_range* range, double lower, double upper);

#ifdef __cplusplus
}
#endif
