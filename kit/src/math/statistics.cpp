// Running statistics of double samples: the record keeps sums, so adding is constant time
// and the moments are derived on request.
#include "kit/statistics.h"

#include <cmath>

#include "kit/system.h"

#define CMATH_CHECK(condition) ((condition) ? (void)0 : cstd_assert_(__LINE__))

extern "C" int32_t cmath_statistics_init(cmath_statistics* s) {
  CMATH_CHECK(s != nullptr);
  *s = cmath_statistics{};
  return 0;
}

extern "C" int32_t cmath_statistics_add(cmath_statistics* s, double x) {
  CMATH_CHECK(s != nullptr);
  if (s->n == 0) {
    s->min = s->max = x;
  } else {
    if (x < s->min) s->min = x;
    if (x > s->max) s->max = x;
  }
  ++s->n;
  s->sum += x;
  s->sumSquares += x * x;
  return 0;
}

extern "C" int32_t cmath_statistics_getMean(const cmath_statistics* s, double* mean) {
  CMATH_CHECK(s != nullptr && mean != nullptr);
  if (s->n == 0) return CMATH_STATUS_NO_SAMPLES;
  *mean = s->sum / s->n;
  return 0;
}

extern "C" int32_t cmath_statistics_getVariance(const cmath_statistics* s, double* variance) {
  CMATH_CHECK(s != nullptr && variance != nullptr);
  if (s->n == 0) return CMATH_STATUS_NO_SAMPLES;
  if (s->n == 1) {
    *variance = 0.0;
    return 0;
  }
  // The sums cancel for samples far from zero; rounding must not leave a negative variance.
  const double squaredDeviations = s->sumSquares - s->sum * (s->sum / s->n);
  *variance = squaredDeviations > 0.0 ? squaredDeviations / (s->n - 1) : 0.0;
  return 0;
}

extern "C" int32_t cmath_statistics_getStdDev(const cmath_statistics* s, double* deviation) {
  CMATH_CHECK(s != nullptr && deviation != nullptr);
  double variance = 0.0;
  if (const int32_t status = cmath_statistics_getVariance(s, &variance); status < 0) {
    return status;
  }
  *deviation = std::sqrt(variance);
  return 0;
}
