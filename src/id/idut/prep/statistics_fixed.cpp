// Running statistics of fixed-point samples with b fractional bits: count, sum, extremes
// and a sum of squares kept at b fractional bits (each square rounded as it is added), so
// that mean, variance and deviation come out in the samples' own units.
#include <stdint.h>

#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "kit/math.h"

namespace {

// Fewest fractional bits the record accepts.
constexpr int32_t minimumFracBits = 3;

}  // namespace

extern "C" int32_t cmath_statisticsFixed_init(cmath_statisticsFixed* s, int32_t fracBits) {
  CIDUT_CHECK(s != nullptr);
  // A square of 2 b fractional bits is shifted down by b in a 64-bit intermediate.
  CIDUT_CHECK(fracBits <= 31);
  cmath_statisticsFixed_clear(s);
  s->fracBits = -1;
  s->rounding = -1;
  if (fracBits < minimumFracBits) return CIDUT_ERR_STATS_RANGE;
  s->fracBits = fracBits;
  s->rounding = int32_t(1u << (fracBits - 1));
  return 0;
}

extern "C" int32_t cmath_statisticsFixed_clear(cmath_statisticsFixed* s) {
  CIDUT_CHECK(s != nullptr);
  s->n = 0;
  s->sum = 0;
  s->sumSquares = 0;
  s->min = 0;
  s->max = 0;
  return 0;
}

extern "C" int32_t cmath_statisticsFixed_add(cmath_statisticsFixed* s, int32_t x) {
  CIDUT_CHECK(s != nullptr);
  if (s->n == 0) {
    s->min = s->max = x;
  } else {
    if (x < s->min) s->min = x;
    if (x > s->max) s->max = x;
  }
  ++s->n;
  s->sum += x;
  // A record that was never initialised keeps no squares: its variance is refused anyway.
  if (s->fracBits >= 0) s->sumSquares += int32_t((int64_t{x} * x + s->rounding) >> s->fracBits);
  return 0;
}

extern "C" int32_t cmath_statisticsFixed_getMean(const cmath_statisticsFixed* s, int32_t* mean) {
  CIDUT_CHECK(s != nullptr && mean != nullptr);
  if (s->n == 0) return CIDUT_ERR_STATS_EMPTY;
  *mean = s->sum / s->n;
  return 0;
}

extern "C" int32_t cmath_statisticsFixed_getVariance(const cmath_statisticsFixed* s,
                                                     int32_t* variance) {
  CIDUT_CHECK(s != nullptr && variance != nullptr);
  if (s->n == 0) return CIDUT_ERR_STATS_EMPTY;
  if (s->fracBits < 0) return CIDUT_ERR_STATS_RANGE;
  if (s->n < 2) {
    *variance = 0;
    return 0;
  }
  // sum * (sum / n): the truncated mean, scaled down like the squares.
  const int64_t meanSquares = (int64_t{s->sum} * (s->sum / s->n) + s->rounding) >> s->fracBits;
  *variance = int32_t((s->sumSquares - meanSquares) / (s->n - 1));
  return 0;
}

extern "C" int32_t cmath_statisticsFixed_getStdDev(const cmath_statisticsFixed* s,
                                                   int32_t* deviation) {
  CIDUT_CHECK(s != nullptr && deviation != nullptr);
  int32_t variance = 0;
  if (const int32_t status = cmath_statisticsFixed_getVariance(s, &variance); status < 0) {
    return status;
  }
  *deviation = int32_t(cmath_sqrt32(uint32_t(variance)) & 0xFFFFu);
  return 0;
}
