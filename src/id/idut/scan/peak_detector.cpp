// The streaming peak detector: state set-up over a peak vector, one sample at a time,
// restarts over skipped samples, and the final trim of the vector.
#include "id/idut/scan/peak_detector.h"

namespace {

int32_t resizePeaks(cstd_vector_cidc_peakIDFixedX_4* peaks, int32_t count) {
  return cstd_vector_cidc_peakIDFixedX_4_resize(peaks, static_cast<uint32_t>(count), count >> 31);
}

}  // namespace

extern "C" int32_t cidc_peakDetectState_init(cidc_peakDetectState* state,
                                             cstd_vector_cidc_peakIDFixedX_4* peaks, int32_t first,
                                             int32_t maxNew) {
  CIDUT_CHECK(state != nullptr);
  CIDUT_CHECK(peaks != nullptr);
  int32_t count = 0;
  if (const int32_t status = cstd_vector_cidc_peakIDFixedX_4_getSize(peaks, &count); status < 0)
    return status;
  const int32_t capacity = count + maxNew;
  if (const int32_t status = resizePeaks(peaks, capacity); status < 0) return status;
  cidc_peakIDFixedX_4* begin = nullptr;
  if (const int32_t status = cstd_vector_cidc_peakIDFixedX_4_getBegin(peaks, &begin); status < 0)
    return status;
  *state = cidc_peakDetectState{first, 0, 0, 0, -1, count, capacity, begin + count};
  return 0;
}

extern "C" int32_t cidc_peakDetectState_detect(cidc_peakDetectState* state, int32_t levelA,
                                               int32_t levelB, int16_t sample, int32_t threshold,
                                               int32_t alongOffset, int32_t shiftLeft,
                                               int32_t shiftRight) {
  cidc_peakDetectState_step(state, sample, threshold, levelA, levelB,
                            cidc_peakScale{alongOffset, shiftLeft, shiftRight});
  return 0;
}

extern "C" int32_t cidc_peakDetectState_advance(cidc_peakDetectState* state, int16_t sample,
                                                int32_t skip) {
  state->prevVal = 0;
  state->prevDiff = 0;
  state->prevIndex = -1;
  state->cur = sample;
  state->index += skip;
  return 0;
}

extern "C" int32_t cidc_peakDetectState_finish(cidc_peakDetectState* state,
                                               cstd_vector_cidc_peakIDFixedX_4* peaks) {
  CIDUT_CHECK(state != nullptr);
  CIDUT_CHECK(peaks != nullptr);
  return resizePeaks(peaks, state->count);
}
