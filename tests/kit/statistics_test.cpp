// The kit's running statistics against two-pass computations of the same samples.
#include "kit/statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "support/hooks.h"

namespace {

TEST(RunningStatistics, MatchTwoPassMomentsFewSamplesAndCancellation) {
  std::mt19937 random(7);
  for (const double offset : {0.0, 1e4}) {
    std::normal_distribution<double> sample(offset, 3.0);
    std::vector<double> xs(257);
    for (double& x : xs) x = sample(random);
    cmath_statistics s;
    ASSERT_EQ(cmath_statistics_init(&s), 0);
    for (double x : xs) ASSERT_EQ(cmath_statistics_add(&s, x), 0);

    const double n = double(xs.size());
    const double mean = std::accumulate(xs.begin(), xs.end(), 0.0) / n;
    double squares = 0.0;
    for (double x : xs) squares += (x - mean) * (x - mean);
    const double variance = squares / (n - 1);

    double got = 0.0;
    EXPECT_EQ(s.n, 257);
    EXPECT_EQ(s.min, *std::min_element(xs.begin(), xs.end()));
    EXPECT_EQ(s.max, *std::max_element(xs.begin(), xs.end()));
    ASSERT_EQ(cmath_statistics_getMean(&s, &got), 0);
    EXPECT_NEAR(got, mean, 1e-12 * (1.0 + std::fabs(offset)));
    ASSERT_EQ(cmath_statistics_getVariance(&s, &got), 0);
    EXPECT_NEAR(got, variance, 1e-9 * (1.0 + offset * offset));
    ASSERT_EQ(cmath_statistics_getStdDev(&s, &got), 0);
    EXPECT_NEAR(got, std::sqrt(variance), 1e-6);
  }

  // No samples, and cancellation.
  cmath_statistics s;
  double value = 5.0;
  cmath_statistics_init(&s);
  EXPECT_EQ(cmath_statistics_getMean(&s, &value), CMATH_STATUS_NO_SAMPLES);
  EXPECT_EQ(cmath_statistics_getVariance(&s, &value), CMATH_STATUS_NO_SAMPLES);
  EXPECT_EQ(value, 5.0);

  // Equal samples far from zero: the sums cancel, the variance must not come out negative.
  cmath_statistics_init(&s);
  for (int i = 0; i < 1000; ++i) cmath_statistics_add(&s, 1e8 + 0.1);
  ASSERT_EQ(cmath_statistics_getVariance(&s, &value), 0);
  EXPECT_GE(value, 0.0);
  ASSERT_EQ(cmath_statistics_getStdDev(&s, &value), 0);
  EXPECT_FALSE(std::isnan(value));

  EXPECT_CHECK_FAILS(cmath_statistics_getMean(&s, nullptr));
}
}  // namespace
