// Contrast statistics of a run of peaks: the weakest and the median absolute magnitude.
#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"

extern "C" int32_t cidc_peakIDFixedX_4_getContrastStats(const cidc_peakIDFixedX_4* first,
                                                        const cidc_peakIDFixedX_4* last,
                                                        int32_t includeAll, int32_t* firstOut,
                                                        int32_t* medianOut) {
  CIDUT_CHECK(firstOut != nullptr);
  CIDUT_CHECK(medianOut != nullptr);
  *firstOut = 0;
  *medianOut = 0;
  CIDUT_CHECK(first <= last);
  const int32_t n = static_cast<int32_t>(last - first);
  if (n == 0) return 0;

  ccCleanupFrame<1> frame;
  cstd_vector32s magnitudes;
  if (frame.failed(cstd_vector32s_construct(&magnitudes, n))) return frame.exit();
  frame.holdObject<cstd_vector32s_destruct>(&magnitudes);
  int32_t* m = nullptr;
  if (frame.failed(cstd_vector32s_getBegin(&magnitudes, &m))) return frame.exit();
  int32_t selected = 0;
  for (const cidc_peakIDFixedX_4* peak = first; peak != last; ++peak) {
    if (includeAll == 0 && peak->tagA == 0 && peak->tagB == 0) continue;
    m[selected++] = peak->magnitude < 0 ? -peak->magnitude : peak->magnitude;
  }
  if (selected == 0) return frame.exit();
  if (frame.failed(cstd_vector32s_resize(&magnitudes, selected))) return frame.exit();
  if (frame.failed(cstd_vector32s_sort(&magnitudes, 1))) return frame.exit();
  if (frame.failed(cstd_vector32s_getBegin(&magnitudes, &m))) return frame.exit();
  *firstOut = m[0];
  *medianOut = m[selected / 2];
  return frame.exit();
}
