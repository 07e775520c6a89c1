// Fixed-point running statistics, k-means clustering in both variants, the box average.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "ci_id/priv/ci_idut/prep.h"
#include "support/hooks.h"

namespace {

TEST(StatisticsFixed, WorkedValuesAndStatuses) {
  cmath_statisticsFixed s;
  int32_t value = 77;
  EXPECT_EQ(cmath_statisticsFixed_init(&s, 2), CIDUT_ERR_STATS_RANGE);
  cmath_statisticsFixed_add(&s, 5);
  EXPECT_EQ(cmath_statisticsFixed_getVariance(&s, &value), CIDUT_ERR_STATS_RANGE);
  EXPECT_EQ(cmath_statisticsFixed_getMean(&s, &value), 0);
  EXPECT_EQ(value, 5);

  ASSERT_EQ(cmath_statisticsFixed_init(&s, 3), 0);
  value = 77;
  EXPECT_EQ(cmath_statisticsFixed_getMean(&s, &value), CIDUT_ERR_STATS_EMPTY);
  EXPECT_EQ(cmath_statisticsFixed_getStdDev(&s, &value), CIDUT_ERR_STATS_EMPTY);
  EXPECT_EQ(value, 77);
  cmath_statisticsFixed_add(&s, 3);  // (9 + 4) >> 3 = 1
  EXPECT_EQ(cmath_statisticsFixed_getVariance(&s, &value), 0);
  EXPECT_EQ(value, 0);                // one sample
  cmath_statisticsFixed_add(&s, 2);   // (4 + 4) >> 3 = 1
  cmath_statisticsFixed_add(&s, -1);  // (1 + 4) >> 3 = 0
  EXPECT_EQ(std::tie(s.sumSquares, s.min, s.max), std::tuple(2, -1, 3));
  EXPECT_EQ(cmath_statisticsFixed_getMean(&s, &value), 0);
  EXPECT_EQ(value, 1);  // 4 / 3 truncated
  EXPECT_EQ(cmath_statisticsFixed_getVariance(&s, &value), 0);
  EXPECT_EQ(value, 0);  // (2 - ((4 x 1 + 4) >> 3)) / 2

  // 24.8: 1.5, 2.25 and -0.75: mean 1, variance 2.4375 (624 / 256), deviation sqrt -> 24.
  ASSERT_EQ(cmath_statisticsFixed_init(&s, 8), 0);
  for (int32_t x : {384, 576, -192}) cmath_statisticsFixed_add(&s, x);
  EXPECT_EQ(cmath_statisticsFixed_getMean(&s, &value), 0);
  EXPECT_EQ(value, 256);
  EXPECT_EQ(cmath_statisticsFixed_getVariance(&s, &value), 0);
  EXPECT_EQ(value, 624);
  EXPECT_EQ(cmath_statisticsFixed_getStdDev(&s, &value), 0);
  EXPECT_EQ(value, 24);

  EXPECT_CHECK_FAILS(cmath_statisticsFixed_add(nullptr, 1));
}

// Labels and slots of one clustering call.
template <class Slot>
struct clustering {
  std::vector<int32_t> labels;
  std::vector<Slot> slots;
  int32_t count = -1, converged = -1, status = 1;
};

clustering<cmath_statistics> clusterDoubles(const std::vector<double>& values, int32_t k,
                                            double relative, double absolute,
                                            int32_t slotCount = 8) {
  clustering<cmath_statistics> c;
  c.labels.assign(values.size(), 99);
  c.slots.resize(size_t(slotCount));
  const cidut_clusterKMeansParams params{k, relative, absolute};
  c.status = cidut_clusterKMeans(&params, values.data(), int32_t(values.size()), c.labels.data(),
                                 c.slots.data(), slotCount, &c.count, &c.converged);
  return c;
}

// The same values in 24.8 (fracBits 8 unless given).
clustering<cmath_statisticsFixed> clusterFixed(const std::vector<double>& values, int32_t k,
                                               double relative, double absolute,
                                               int32_t fracBits = 8, int32_t slotCount = 8) {
  clustering<cmath_statisticsFixed> c;
  std::vector<int32_t> fixed;
  for (double v : values) fixed.push_back(int32_t(std::lround(std::ldexp(v, fracBits))));
  c.labels.assign(values.size(), 99);
  c.slots.resize(size_t(slotCount));
  const cidut_clusterKMeansParamsFixed params{k, relative, absolute, fracBits};
  c.status =
      cidut_clusterKMeans_fixed(&params, fixed.data(), int32_t(fixed.size()), c.labels.data(),
                                c.slots.data(), slotCount, &c.count, &c.converged);
  return c;
}

using labelList = std::vector<int32_t>;

TEST(ClusterKMeans, WorkedPartitionsInBothVariantsAndAnEmptiedCluster) {
  const std::vector<double> twoGroups{1, 2, 3, 101, 102, 103};
  const auto c = clusterDoubles(twoGroups, 0, -1, -1);
  const auto f = clusterFixed(twoGroups, 0, -1, -1);
  EXPECT_EQ(std::tie(c.status, c.count, c.converged, f.count), std::tuple(0, 2, 1, 2));
  EXPECT_EQ(c.labels, (labelList{0, 0, 0, 1, 1, 1}));
  EXPECT_EQ(f.labels, c.labels);
  EXPECT_EQ(std::tie(c.slots[0].sum, c.slots[1].sum, f.slots[1].sum),
            std::tuple(6.0, 306.0, 306 * 256));

  // An absolute tolerance of 200 joins the groups.
  const auto merged = clusterDoubles(twoGroups, 0, -1, 200);
  EXPECT_EQ(merged.labels, labelList(6, 0));
  EXPECT_EQ(std::tie(merged.count, merged.slots[0].n, merged.slots[1].n), std::tuple(1, 6, 0));

  // The largest cluster moves to slot 0 and its labels with it; ties keep their order.
  const auto sized = clusterDoubles({0, 50, 50, 50, 50, 100}, 1, -1, -1);
  EXPECT_EQ(sized.labels, (labelList{1, 0, 0, 0, 0, 2}));
  EXPECT_EQ(std::tie(sized.count, sized.slots[0].n, sized.slots[1].sum, sized.slots[2].sum),
            std::tuple(3, 4, 0.0, 100.0));

  // Seeds {0, 100}, {1, 1}, {99, 99}: cluster 0 empties and stays out of later rounds.
  const std::vector<double> values{0, 100, 1, 1, 99, 99};
  const auto d = clusterDoubles(values, 1, -1, -1);
  const auto e = clusterFixed(values, 1, -1, -1);
  EXPECT_EQ(d.labels, (labelList{0, 1, 0, 0, 1, 1}));
  EXPECT_EQ(e.labels, d.labels);
  EXPECT_EQ(std::tie(d.status, d.count, d.converged, d.slots[2].n), std::tuple(0, 2, 1, 0));
  EXPECT_EQ(std::tie(d.slots[0].sum, d.slots[1].sum), std::tuple(2.0, 298.0));
}

TEST(ClusterKMeans, MergeTestsStatusesAndChecks) {
  // Groups {0, 2, 4} and {10, 12, 14}: means 10 apart, deviations 2.
  const std::vector<double> groups{0, 2, 4, 10, 12, 14};
  EXPECT_EQ(clusterDoubles(groups, 0, 5.0, -1).count, 1);  // 10 <= 5 x 2 + 1e-10
  EXPECT_EQ(clusterDoubles(groups, 0, 4.99, -1).count, 2);
  EXPECT_EQ(clusterDoubles(groups, 0, 0.0, 10.0).count, 1);  // either test suffices

  // 28.4: means 160 apart, deviation 8; tolerance 16 tol + 0.5 truncated, times 8.
  EXPECT_EQ(clusterFixed(groups, 0, 1.25, -1, 4).count, 1);
  EXPECT_EQ(clusterFixed(groups, 0, 1.2, -1, 4).count, 2);
  EXPECT_EQ(clusterFixed(groups, 0, -1, 9.97, 4).count, 1);  // 159.52 + 0.5 -> 160

  // 0 and 6 join (mean 3), so 11 lies within 8 of the joined mean though 11 from 0.
  const auto chain = clusterDoubles({0, 0, 6, 6, 11, 11}, 1, -1, 8.0);
  EXPECT_EQ(chain.count, 1);
  EXPECT_EQ(chain.labels, labelList(6, 0));

  const std::vector<double> values{1, 2, 3, 4};
  const auto tooFewSlots = clusterDoubles(values, 1, -1, -1, 2);
  EXPECT_EQ(std::tie(tooFewSlots.status, tooFewSlots.count, tooFewSlots.converged),
            std::tuple(CIDUT_ERR_BAD_PARAMETER, 0, 0));
  EXPECT_EQ(tooFewSlots.labels, labelList(4, 99));
  EXPECT_EQ(clusterFixed(values, 0, -1, -1, 2).status, CIDUT_ERR_STATS_RANGE);

  int32_t count = 0, converged = 0;
  const cidut_clusterKMeansParams params{0, -1, -1};
  EXPECT_CHECK_FAILS(
      cidut_clusterKMeans(&params, values.data(), 4, nullptr, nullptr, 0, &count, &converged));
}

TEST(SpatialAverage, WorkedBoxesAndChecks) {
  // 3 x 2 with a 2 x 2 box: sums 24 and 38 rounded to 6 and 10; the last column, row repeat.
  const uint8_t grid[8] = {0, 3, 6, 99, 9, 12, 17, 99};  // stride 4
  uint8_t averaged[10];
  std::fill(std::begin(averaged), std::end(averaged), 0xA5);
  ASSERT_EQ(cid_spatialAverage(grid, 3, 2, 4, 2, 2, averaged, 5), 0);
  EXPECT_EQ(std::vector<uint8_t>(averaged, averaged + 10),
            (std::vector<uint8_t>{6, 10, 10, 0xA5, 0xA5, 6, 10, 10, 0xA5, 0xA5}));
  std::vector<uint8_t> source(64, 9), destination(64);
  EXPECT_CHECK_FAILS(cid_spatialAverage(source.data(), 8, 8, 8, 0, 1, destination.data(), 8));
}

}  // namespace
