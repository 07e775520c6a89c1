// 1-D tracking states: an estimate with its variance (constant value), and with a rate and
// its variance (constant rate), set up from measurements. No update rule lives here.
#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"

extern "C" int32_t cidc_trackStateConstantVal1D_init(cidc_trackStateConstantVal1D* state,
                                                     int32_t scale) {
  CIDUT_CHECK(state != nullptr);
  *state = {0, -1, scale, 0};
  return 0;
}

extern "C" int32_t cidc_trackStateConstantVal1D_initVal(cidc_trackStateConstantVal1D* state,
                                                        const cidc_measurement1D* measurement,
                                                        int32_t ready) {
  CIDUT_CHECK(state != nullptr);
  CIDUT_CHECK(measurement != nullptr);
  *state = {measurement->value, measurement->variance, measurement->scale, ready};
  return 0;
}

extern "C" int32_t cidc_trackStateConstantRate1D_init(cidc_trackStateConstantRate1D* state,
                                                      int32_t scale) {
  CIDUT_CHECK(state != nullptr);
  *state = {0, -1, scale, 0, -1, scale, -1, 0};
  return 0;
}

extern "C" int32_t cidc_trackStateConstantRate1D_initVal(cidc_trackStateConstantRate1D* state,
                                                         const cidc_measurement1D* value,
                                                         const cidc_measurement1D* rate,
                                                         int32_t ready) {
  CIDUT_CHECK(state != nullptr);
  CIDUT_CHECK(value != nullptr);
  CIDUT_CHECK(rate != nullptr);
  CIDUT_CHECK(value->scale == rate->scale);
  const int32_t covariance = value->variance < 0 || rate->variance < 0 ? -1 : 0;
  *state = {value->value,   value->variance, value->scale, rate->value,
            rate->variance, rate->scale,     covariance,   ready};
  return 0;
}
