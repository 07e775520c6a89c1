// Peaks of a ready-made 1-D profile of int32 samples: the central difference of the
// profile fed to the peak detector, unscaled.
#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"
#include "id/idut/scan/peak_detector.h"

extern "C" int32_t cidc_runEdgeScanPeakDetection(const cimg_windowConst* extent,
                                                 const cimg_windowConst* samples,
                                                 const int32_t* threshold,
                                                 cstd_vector_cidc_peakIDFixedX_4* peaks) {
  CIDUT_CHECK(extent != nullptr);
  CIDUT_CHECK(samples != nullptr);
  CIDUT_CHECK(threshold != nullptr);
  CIDUT_CHECK(peaks != nullptr);
  const int32_t n = extent->width;
  if (n < 3) return 0;  // no difference sample
  const int32_t* x = static_cast<const int32_t*>(samples->pixels);
  cidc_peakDetectState state;
  if (const int32_t status = cidc_peakDetectState_init(&state, peaks, x[2] - x[0], n - 2);
      status < 0)
    return status;
  const int32_t t = *threshold;
  const cidc_peakScale scale{0, 0, 0};
  // Difference k is centred on x[k + 1]; a peak found at k ends at k - 1, between x[k - 1]
  // and x[k + 1].
  for (int32_t k = 1; k <= n - 3; ++k) {
    const int32_t mid = (x[k + 1] + x[k - 1]) / 2;
    cidc_peakDetectState_step(&state, x[k + 2] - x[k], t, mid, mid, scale);
  }
  return cidc_peakDetectState_finish(&state, peaks);
}
