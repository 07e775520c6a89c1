// Contrast statistics of peaks.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "ci_id/priv/ci_idut/scan.h"

namespace {

// Peaks of the given magnitudes; tagB is set on those listed as tagged.
std::vector<cidc_peakIDFixedX_4> peaksOf(std::vector<std::pair<int32_t, int32_t>> magnitudeTag) {
  std::vector<cidc_peakIDFixedX_4> peaks(magnitudeTag.size());
  for (size_t i = 0; i < peaks.size(); ++i) {
    peaks[i].magnitude = magnitudeTag[i].first;
    peaks[i].tagB = magnitudeTag[i].second;
  }
  return peaks;
}

std::pair<int32_t, int32_t> stats(const std::vector<cidc_peakIDFixedX_4>& peaks, int32_t all) {
  int32_t first = -1, median = -1;
  EXPECT_EQ(cidc_peakIDFixedX_4_getContrastStats(peaks.data(), peaks.data() + peaks.size(), all,
                                                 &first, &median),
            0);
  return {first, median};
}

TEST(ContrastStats, WeakestAndUpperMedianOfSelectedMagnitudes) {
  EXPECT_EQ(stats(peaksOf({{11, 0}, {-5, 0}, {9, 0}, {7, 0}}), 1), std::pair(5, 9));
  EXPECT_EQ(stats(peaksOf({{11, 0}, {-5, 0}, {9, 0}, {7, 0}}), 0), std::pair(0, 0));
  EXPECT_EQ(stats(peaksOf({{11, 1}, {-5, 0}, {-9, 2}, {7, 0}}), 0), std::pair(9, 11));
  EXPECT_EQ(stats({}, 1), std::pair(0, 0));
}

}  // namespace
