// Percentiles of a histogram: the levels at which its cumulative count reaches each
// hundredth of the total.
#include "internal.h"

extern "C" int32_t cip_pelHistogramStat_invCum(const uint32_t* histogram, int32_t bins,
                                               int32_t* percentiles) {
  CIP_PEL_CHECK(histogram != nullptr && percentiles != nullptr && bins >= 1);
  uint64_t total = 0;
  for (int32_t v = 0; v < bins; ++v) total += histogram[v];
  // Level v answers every percentile p not answered yet with 100 cumulative >= p total;
  // it must hold a pixel, so that percentile 0 is the first occupied level. The total may
  // reach 2^63, so the products are taken in 128 bits.
  int32_t p = 0;
  unsigned __int128 cumulative = 0;
  for (int32_t v = 0; v < bins && p <= 100; ++v) {
    if (histogram[v] == 0) continue;
    cumulative += histogram[v];
    while (p <= 100 && cumulative * 100 >= static_cast<unsigned __int128>(total) * p) {
      percentiles[p++] = v;
    }
  }
  for (; p <= 100; ++p) percentiles[p] = 0;  // an empty histogram
  return 0;
}
