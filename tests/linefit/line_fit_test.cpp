// cidut_line_fit: the plain fit, the outlier search against a brute-force search with an
// independent fit (smallest eigenvalue of the scatter), failures and their statuses.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

#include "ci_id/priv/ci_idut/linefit.h"
#include "support/hooks.h"

namespace {

cxVector<cx2Vect> makePoints(std::initializer_list<cx2Vect> list) {
  cxVector<cx2Vect> points;
  for (const cx2Vect& p : list) points.pushBack(p);
  return points;
}

cidut_linefit_params makeParams(int32_t numIgnore, double maxError) {
  cidut_linefit_params params;
  EXPECT_EQ(cidut_linefit_params_set(&params, numIgnore, maxError), 0);
  return params;
}

// Sum of squared distances from the best line: the smaller eigenvalue of the scatter
// matrix about the centroid of the points selected by mask.
double bestSquaredError(const cxVector<cx2Vect>& points, uint32_t mask) {
  double mx = 0, my = 0;
  const int n = std::popcount(mask);
  for (size_t i = 0; i < points.size(); ++i) {
    if (mask >> i & 1) mx += points[i].x() / n, my += points[i].y() / n;
  }
  double a = 0, b = 0, c = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    if (!(mask >> i & 1)) continue;
    const double x = points[i].x() - mx, y = points[i].y() - my;
    a += x * x, b += x * y, c += y * y;
  }
  return (a + c) / 2 - std::sqrt((a - c) * (a - c) / 4 + b * b);
}

TEST(LineFit, LeavesOutTheOutlier) {
  const cxVector<cx2Vect> points = makePoints({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {1.5, 5}});
  const cidut_linefit_params params = makeParams(1, 0.01);
  cidut_linefit_result result;
  ASSERT_EQ(cidut_line_fit(&params, &points, &result), 0);
  ASSERT_EQ(result.ignored.size(), 1u);
  EXPECT_EQ(result.ignored[0], 4u);
  EXPECT_NEAR(result.rms, 0, 1e-12);
  EXPECT_EQ(result.accepted, 1);
  EXPECT_NEAR(std::fabs(result.line.dir.x), 1, 1e-12);
  EXPECT_EQ(result.params.numIgnore, 1);
  EXPECT_EQ(result.params.maxError, 0.01);
  EXPECT_GE(result.msec, 0);

  // Using every point: the rms error of the fitter's own line, judged against maxError.
  const cidut_linefit_params all = makeParams(0, 2.0);
  ASSERT_EQ(cidut_line_fit(&all, &points, &result), 0);
  EXPECT_EQ(result.ignored.size(), 0u);
  EXPECT_NEAR(result.rms, std::sqrt(ccCidLSLineFitter(points).error(result.line) / 5), 1e-12);
  EXPECT_EQ(result.accepted, result.rms < 2.0 ? 1 : 0);
  const cidut_linefit_params strict = makeParams(0, result.rms);
  ASSERT_EQ(cidut_line_fit(&strict, &points, &result), 0);
  EXPECT_EQ(result.accepted, 0);
}

TEST(LineFit, OutlierSearchMatchesBruteForce) {
  std::mt19937 random(17);
  std::normal_distribution<double> noise(0.0, 0.2);
  std::uniform_real_distribution<double> anywhere(-30.0, 30.0);
  for (int trial = 0; trial < 40; ++trial) {
    const int numIgnore = 1 + trial % 3;
    const int count = numIgnore + 3 + trial % 4;  // at least three points kept: no ties
    cxVector<cx2Vect> points;
    for (int i = 0; i < count; ++i) {
      const bool outlier = random() % 3 == 0;
      const double t = anywhere(random);
      points.pushBack(outlier ? cx2Vect(anywhere(random), anywhere(random))
                              : cx2Vect(t + noise(random), 0.5 * t - 4 + noise(random)));
    }
    // Brute force: every mask that keeps count - numIgnore points.
    double best = HUGE_VAL;
    uint32_t bestMask = 0;
    for (uint32_t mask = 0; mask < (1u << count); ++mask) {
      if (std::popcount(mask) != count - numIgnore) continue;
      const double error = bestSquaredError(points, mask);
      if (error < best) best = error, bestMask = mask;
    }
    SCOPED_TRACE(trial);
    const cidut_linefit_params params = makeParams(numIgnore, 1.0);
    cidut_linefit_result result;
    ASSERT_EQ(cidut_line_fit(&params, &points, &result), 0);
    EXPECT_NEAR(result.rms, std::sqrt(best / (count - numIgnore)), 1e-9);
    ASSERT_EQ(result.ignored.size(), static_cast<size_t>(numIgnore));
    for (int i = 0; i < numIgnore; ++i) {
      EXPECT_FALSE(bestMask >> result.ignored[i] & 1) << "ignored " << result.ignored[i];
      if (i > 0) {
        EXPECT_GT(result.ignored[i - 1], result.ignored[i]);
      }
    }
  }
}

TEST(LineFit, ChoicesWithoutALineAreSkipped) {
  // The first choice, leaving out the far point, leaves a square, which has no line; the
  // search goes on and leaves out a corner instead.
  const cxVector<cx2Vect> points = makePoints({{100, 37}, {0, 0}, {1, 0}, {1, 1}, {0, 1}});
  const cidut_linefit_params params = makeParams(1, 1.0);
  cidut_linefit_result result;
  ASSERT_EQ(cidut_line_fit(&params, &points, &result), 0);
  ASSERT_EQ(result.ignored.size(), 1u);
  EXPECT_NE(result.ignored[0], 0u);
}

TEST(LineFit, FailuresReturnStatuses) {
  const cxVector<cx2Vect> four = makePoints({{0, 0}, {1, 0}, {2, 1}, {3, 1}});
  const cidut_linefit_params tooMany = makeParams(3, 1.0);
  cidut_linefit_result result;
  result.rms = 42;
  result.accepted = 7;
  EXPECT_EQ(cidut_line_fit(&tooMany, &four, &result), CIDUT_ERR_LINE_FIT_FAILED);
  EXPECT_EQ(result.rms, 42);  // untouched
  EXPECT_EQ(result.accepted, 7);

  // Equal points have no line, with or without leaving some out.
  const cxVector<cx2Vect> same(5, cx2Vect(2, 3));
  for (int32_t numIgnore : {0, 2}) {
    const cidut_linefit_params params = makeParams(numIgnore, 1.0);
    EXPECT_EQ(cidut_line_fit(&params, &same, &result), CIDUT_ERR_LINE_FIT_FAILED);
  }
}

TEST(LineFit, AllocationFailuresLeakNothing) {
  std::mt19937 random(2);
  cxVector<cx2Vect> points;
  for (int i = 0; i < 7; ++i) points.pushBack(cx2Vect(i, 0.3 * i + (random() % 100) / 100.0));
  const cidut_linefit_params params = makeParams(2, 1.0);
  const int allocations = driveAllocationFailures([&] {
    cidut_linefit_result result;
    return cidut_line_fit(&params, &points, &result);
  });
  EXPECT_EQ(allocations, 3);  // the index choice, the working set, the kept choice
}

TEST(LineFit, ArgumentChecks) {
  const cxVector<cx2Vect> points(4, cx2Vect(1, 2));
  const cidut_linefit_params params = makeParams(0, 1.0);
  const cidut_linefit_params negative = makeParams(-1, 1.0);
  cidut_linefit_result result;
  EXPECT_CHECK_FAILS(cidut_line_fit(nullptr, &points, &result));
  EXPECT_CHECK_FAILS(cidut_line_fit(&params, &points, nullptr));
  EXPECT_CHECK_FAILS(cidut_line_fit(&negative, &points, &result));
  EXPECT_CHECK_FAILS(cidut_linefit_params_set(nullptr, 0, 1.0));
  EXPECT_CHECK_FAILS(cidut_linefit_result_init(nullptr));
}

}  // namespace
