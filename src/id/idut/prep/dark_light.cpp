// Mean and deviation of the dark and the light end of a grey-level histogram, cut either
// at two grey levels or at two percentiles. The contrast between the two means is the
// reference of the sharpness measure.
#include <math.h>
#include <stdint.h>

#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "kit/pel.h"

namespace {

constexpr int32_t percentiles = 101;

// Mean and deviation of the bins first .. last; an empty class gets emptyMean and
// deviation 0.
void classStatistics(const uint32_t* histogram, int32_t first, int32_t last, double emptyMean,
                     double* mean, double* deviation) {
  uint64_t count = 0, moment = 0;
  for (int32_t i = first; i <= last; ++i) {
    count += histogram[i];
    moment += uint64_t{histogram[i]} * uint32_t(i);
  }
  if (count == 0) {
    *mean = emptyMean;
    *deviation = 0.0;
    return;
  }
  const double m = double(moment) / double(count);
  double squares = 0.0;
  for (int32_t i = first; i <= last; ++i) squares += histogram[i] * (m - i) * (m - i);
  *mean = m;
  *deviation = sqrt(squares / double(count));
}

}  // namespace

extern "C" int32_t cidut_getDarkLightMeanThreshold_(const uint32_t* histogram, int32_t bins,
                                                    int32_t darkLimit, int32_t lightLimit,
                                                    double* darkMean, double* lightMean,
                                                    double* darkDeviation, double* lightDeviation) {
  CIDUT_CHECK(histogram != nullptr && bins >= 1);
  CIDUT_CHECK(darkMean && lightMean && darkDeviation && lightDeviation);
  CIDUT_CHECK(darkLimit >= 0 && darkLimit < bins);
  CIDUT_CHECK(lightLimit >= 0 && lightLimit < bins);
  // An empty class sits halfway between its limit and the end of the 8-bit range.
  classStatistics(histogram, 0, darkLimit, double(darkLimit / 2), darkMean, darkDeviation);
  classStatistics(histogram, lightLimit, bins - 1, double((lightLimit + 255) / 2), lightMean,
                  lightDeviation);
  return 0;
}

extern "C" int32_t cidut_getDarkLightMeanPercent_(const uint32_t* histogram, int32_t bins,
                                                  int32_t darkPercent, int32_t lightPercent,
                                                  double* darkMean, double* lightMean,
                                                  double* darkDeviation, double* lightDeviation) {
  CIDUT_CHECK(histogram != nullptr && bins >= 1);
  CIDUT_CHECK(darkPercent >= 0 && darkPercent <= 100);
  CIDUT_CHECK(lightPercent >= 0 && lightPercent <= 100);
  int32_t levels[percentiles];
  if (const int32_t status = cip_pelHistogramStat_invCum(histogram, bins, levels); status < 0) {
    return status;
  }
  return cidut_getDarkLightMeanThreshold_(histogram, bins, levels[darkPercent],
                                          levels[100 - lightPercent], darkMean, lightMean,
                                          darkDeviation, lightDeviation);
}
