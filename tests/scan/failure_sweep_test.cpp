// Every scan call that allocates, through each of its allocation failures.
#include <gtest/gtest.h>

#include <vector>

#include "ci_id/priv/ci_idut/scan.h"
#include "scan/edge_scanner.h"
#include "support/failure_sweep.h"
#include "support/synthetic.h"

namespace {

// Peaks of the given magnitudes.
std::vector<cidc_peakIDFixedX_4> peaksOf(const std::vector<int32_t>& magnitudes) {
  std::vector<cidc_peakIDFixedX_4> peaks(magnitudes.size());
  for (size_t i = 0; i < peaks.size(); ++i) peaks[i].magnitude = magnitudes[i];
  return peaks;
}

TEST(ScanFailureSweep, EveryAllocatingCall) {
  greyScene step(128, 128, 40);
  step.paint([](double x, double) { return x > 64.5; }, 210, 16);
  scanner s(step);
  const int16_t dir[2] = {32, 8};
  cidc_scanLineSeg out;
  const std::vector<cidc_peakIDFixedX_4> three = peaksOf({3, -1, 2});
  const int32_t profile[] = {0, 0, 0, 300, 300, 300, 290, 100, 100, 100};
  cimg_windowConst extent{}, samples{};
  extent.width = 10;
  samples.pixels = profile;
  const int32_t threshold = 100;

  const std::vector<sweepRow> rows = {
      {"cidc_peakDetectState_init", [] {
         peakList local(false);
         cidc_peakDetectState state;
         return cidc_peakDetectState_init(&state, &local.v, 0, 100);
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cidc_peakDetectState_finish", [] {
         peakList local(false);
         cidc_peakDetectState state;
         int32_t status = cidc_peakDetectState_init(&state, &local.v, 0, 3);
         if (status < 0) return status;
         cidc_peakDetectState_detect(&state, 0, 0, 20, 5, 0, 0, 0);
         cidc_peakDetectState_detect(&state, 0, 0, 0, 5, 0, 0, 0);
         return cidc_peakDetectState_finish(&state, &local.v);
       }},
      {"cidc_runEdgeScan, the vector grows once", [&] {
         peakList local(false);
         return s.scan({10, 50}, 0.41, dir, local, &out);
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cidc_runEdgeScanPeakDetection", [&] {
         peakList local(false);
         return cidc_runEdgeScanPeakDetection(&extent, &samples, &threshold, &local.v);
       }},
      {"cidc_peakIDFixedX_4_getContrastStats", [&] {
         int32_t first, median;
         return cidc_peakIDFixedX_4_getContrastStats(three.data(), three.data() + 3, 1, &first,
                                                     &median);
       }},
  };
  sweepFailures(rows);
}

}  // namespace
