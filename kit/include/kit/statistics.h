// The kit's running statistics of double samples: count, sum, sum of squares, extremes.
#pragma once

#include <stdint.h>

#include "kit/export.h"

#ifdef __cplusplus
extern "C" {
#endif

// A record of no samples has every field 0.
typedef struct cmath_statistics {
  int32_t n;
  double sum;
  double sumSquares;
  double min;
  double max;
} cmath_statistics;

// Clears the record. Returns 0.
CKIT_API int32_t cmath_statistics_init(cmath_statistics* s);
// Adds a sample. Returns 0.
CKIT_API int32_t cmath_statistics_add(cmath_statistics* s, double x);
// Mean, sample variance (divided by n - 1; 0 for a single sample) and its square root.
// CMATH_STATUS_NO_SAMPLES when there is none.
#define CMATH_STATUS_NO_SAMPLES ((int32_t)0x80000542)
CKIT_API int32_t cmath_statistics_getMean(const cmath_statistics* s, double* mean);
CKIT_API int32_t cmath_statistics_getVariance(const cmath_statistics* s, double* variance);
CKIT_API int32_t cmath_statistics_getStdDev(const cmath_statistics* s, double* deviation);

#ifdef __cplusplus
}
#endif
