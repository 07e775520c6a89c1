// Contrast statistics of peaks, tracking-state records, and the peak and shape vectors.
#include <gtest/gtest.h>

#include <vector>

#include "ci_id/priv/ci_idut/scan.h"
#include "support/hooks.h"

namespace {

std::vector<cidc_peakIDFixedX_4> peaksOf(const std::vector<std::pair<int32_t, int32_t>>& mt) {
  std::vector<cidc_peakIDFixedX_4> peaks;
  for (auto [magnitude, tag] : mt) {
    cidc_peakIDFixedX_4 p{};
    p.magnitude = magnitude;
    p.tagB = tag;
    peaks.push_back(p);
  }
  return peaks;
}

TEST(ContrastStats, WeakestAndUpperMedianOfSelectedMagnitudes) {
  leakGuard guard;
  auto stats = [](const std::vector<cidc_peakIDFixedX_4>& peaks, int32_t all) {
    int32_t first = -1, median = -1;
    EXPECT_EQ(cidc_peakIDFixedX_4_getContrastStats(peaks.data(), peaks.data() + peaks.size(), all,
                                                   &first, &median),
              0);
    return std::pair(first, median);
  };
  EXPECT_EQ(stats(peaksOf({{-30, 0}, {10, 0}, {20, 0}}), 1), std::pair(10, 20));
  EXPECT_EQ(stats(peaksOf({{11, 0}, {-5, 0}, {9, 0}, {7, 0}}), 1), std::pair(5, 9));
  EXPECT_EQ(stats(peaksOf({{11, 0}, {-5, 0}, {9, 0}, {7, 0}}), 0), std::pair(0, 0));
  EXPECT_EQ(stats(peaksOf({{11, 1}, {-5, 0}, {-9, 2}, {7, 0}}), 0), std::pair(9, 11));
  EXPECT_EQ(stats({}, 1), std::pair(0, 0));

  const auto peaks = peaksOf({{3, 0}, {-1, 0}, {2, 0}});
  int32_t first = -1, median = -1;
  const int runs = driveAllocationFailures([&] {
    first = median = -1;
    return cidc_peakIDFixedX_4_getContrastStats(peaks.data(), peaks.data() + 3, 1, &first, &median);
  });
  EXPECT_GE(runs, 1);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(median, 2);
}

TEST(TrackStates, InitialisersAndCovariance) {
  cidc_trackStateConstantVal1D val;
  cidc_trackStateConstantVal1D_init(&val, 8);
  EXPECT_EQ(val.variance, -1);
  EXPECT_EQ(val.scale, 8);
  EXPECT_EQ(val.ready, 0);
  const cidc_measurement1D m{300, 40, 4}, rate{-2, -1, 4}, rate6{-2, 5, 6};
  cidc_trackStateConstantVal1D_initVal(&val, &m, 1);
  EXPECT_EQ(val.value, 300);
  EXPECT_EQ(val.variance, 40);
  EXPECT_EQ(val.ready, 1);

  cidc_trackStateConstantRate1D state;
  cidc_trackStateConstantRate1D_init(&state, 6);
  EXPECT_EQ(state.rateVariance, -1);
  EXPECT_EQ(state.rateScale, 6);
  EXPECT_EQ(state.covariance, -1);
  cidc_trackStateConstantRate1D_initVal(&state, &m, &rate, 1);
  EXPECT_EQ(state.rate, -2);
  EXPECT_EQ(state.covariance, -1);  // no rate estimate
  const cidc_measurement1D rateKnown{-2, 3, 4};
  cidc_trackStateConstantRate1D_initVal(&state, &m, &rateKnown, 0);
  EXPECT_EQ(state.covariance, 0);
  EXPECT_CHECK_FAILS(cidc_trackStateConstantRate1D_initVal(&state, &m, &rate6, 0));
  EXPECT_CHECK_FAILS(cidc_trackStateConstantRate1D_initVal(&state, &m, nullptr, 0));
}

TEST(ScanVectors, ListsOfPeakVectorsCopyAndDestroyDeeply) {
  leakGuard guard;
  cstd_vector_vector_cidc_peakIDFixedX_4 scans, copy;
  ASSERT_EQ(cstd_vector_vector_cidc_peakIDFixedX_4_construct(&scans, 2, 0), 0);
  vector_cidc_peakIDFixedX_4* inner = nullptr;
  ASSERT_EQ(cstd_vector_vector_cidc_peakIDFixedX_4_getElement(&scans, 1, &inner), 0);
  const cidc_peakIDFixedX_4 peak = peaksOf({{42, 0}})[0];
  ASSERT_EQ(cstd_vector_cidc_peakIDFixedX_4_pushBack(inner, &peak), 0);
  ASSERT_EQ(cstd_vector_vector_cidc_peakIDFixedX_4_constructCopy(&copy, &scans), 0);
  vector_cidc_peakIDFixedX_4* copied = nullptr;
  cstd_vector_vector_cidc_peakIDFixedX_4_getElement(&copy, 1, &copied);
  cidc_peakIDFixedX_4* p = nullptr;
  cstd_vector_cidc_peakIDFixedX_4_getElement(copied, 0, &p);
  p->magnitude = 7;  // the copy has its own peaks
  cstd_vector_cidc_peakIDFixedX_4_getElement(inner, 0, &p);
  EXPECT_EQ(p->magnitude, 42);
  EXPECT_EQ(cstd_vector_vector_cidc_peakIDFixedX_4_destruct(&copy), 0);
  EXPECT_EQ(cstd_vector_vector_cidc_peakIDFixedX_4_destruct(&scans), 0);

  cstd_vector_cidc_scanLineSeg segs;
  cidc_scanLineSeg seg;
  cidc_scanLineSeg_initDegen(&seg);
  ASSERT_EQ(cstd_vector_cidc_scanLineSeg_constructFill(&segs, 3, 0, &seg), 0);
  int32_t size = 0, elementSize = 0;
  cstd_vector_cidc_scanLineSeg_getSize(&segs, &size);
  cstd_vector_cidc_scanLineSeg_getElementSize(&segs, &elementSize);
  EXPECT_EQ(size, 3);
  EXPECT_EQ(elementSize, int32_t(sizeof(cidc_scanLineSeg)));
  cstd_vector_cidc_scanLineSeg_destruct(&segs);
}

}  // namespace
