// Contrast statistics of peaks, tracking-state records, and lists of peak vectors.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "ci_id/priv/ci_idut/scan.h"
#include "support/hooks.h"

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
  EXPECT_EQ(stats(peaksOf({{-30, 0}, {10, 0}, {20, 0}}), 1), std::pair(10, 20));
  EXPECT_EQ(stats(peaksOf({{11, 0}, {-5, 0}, {9, 0}, {7, 0}}), 1), std::pair(5, 9));
  EXPECT_EQ(stats(peaksOf({{11, 0}, {-5, 0}, {9, 0}, {7, 0}}), 0), std::pair(0, 0));
  EXPECT_EQ(stats(peaksOf({{11, 1}, {-5, 0}, {-9, 2}, {7, 0}}), 0), std::pair(9, 11));
  EXPECT_EQ(stats({}, 1), std::pair(0, 0));
  const auto peaks = peaksOf({{3, 0}, {-1, 0}, {2, 0}});
  EXPECT_GE(driveAllocationFailures([&] {
              int32_t first, median;
              return cidc_peakIDFixedX_4_getContrastStats(peaks.data(), peaks.data() + 3, 1, &first,
                                                          &median);
            }),
            1);
}

TEST(TrackStates, CovarianceNeedsBothVariancesAndOneScale) {
  cidc_trackStateConstantRate1D state;
  const cidc_measurement1D value{300, 40, 4}, noRate{-2, -1, 4}, rate{-2, 3, 4}, rate6{-2, 5, 6};
  cidc_trackStateConstantRate1D_initVal(&state, &value, &noRate, 1);
  EXPECT_EQ(state.covariance, -1);
  cidc_trackStateConstantRate1D_initVal(&state, &value, &rate, 0);
  EXPECT_EQ(state.covariance, 0);
  EXPECT_CHECK_FAILS(cidc_trackStateConstantRate1D_initVal(&state, &value, &rate6, 0));
}

TEST(ScanVectors, ListsOfPeakVectorsCopyDeeply) {
  leakGuard guard;
  cstd_vector_vector_cidc_peakIDFixedX_4 scans, copy;
  ASSERT_EQ(cstd_vector_vector_cidc_peakIDFixedX_4_construct(&scans, 2, 0), 0);
  vector_cidc_peakIDFixedX_4 *inner = nullptr, *copied = nullptr;
  ASSERT_EQ(cstd_vector_vector_cidc_peakIDFixedX_4_getElement(&scans, 1, &inner), 0);
  const cidc_peakIDFixedX_4 peak = peaksOf({{42, 0}})[0];
  ASSERT_EQ(cstd_vector_cidc_peakIDFixedX_4_pushBack(inner, &peak), 0);
  ASSERT_EQ(cstd_vector_vector_cidc_peakIDFixedX_4_constructCopy(&copy, &scans), 0);
  cstd_vector_vector_cidc_peakIDFixedX_4_getElement(&copy, 1, &copied);
  cidc_peakIDFixedX_4* p = nullptr;
  cstd_vector_cidc_peakIDFixedX_4_getElement(copied, 0, &p);
  p->magnitude = 7;  // the copy has its own peaks
  cstd_vector_cidc_peakIDFixedX_4_getElement(inner, 0, &p);
  EXPECT_EQ(p->magnitude, 42);
  EXPECT_EQ(cstd_vector_vector_cidc_peakIDFixedX_4_destruct(&copy), 0);
  EXPECT_EQ(cstd_vector_vector_cidc_peakIDFixedX_4_destruct(&scans), 0);
}

}  // namespace
