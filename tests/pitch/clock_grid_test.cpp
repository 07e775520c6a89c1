// Clock grids: the refined pitch against a least-squares fit of the positions on their
// true grid indices, with missing features, noise and phase; exact grids, isolated
// features and the worked grid assignments; argument checks and the work area's failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "ci_id/priv/ci_idut/pitch.h"
#include "support/hooks.h"

namespace {

struct refined {
  int32_t pitch = 0, periodSum = 0, inliers = 0;
};

refined refine(const std::vector<int32_t>& p, int32_t pitch, int32_t minPermille,
               int32_t maxPermille, int32_t tolerance, int32_t inlierWindow = 64) {
  refined r;
  EXPECT_EQ(
      cidut_cg1dComputeScaledPitch(int32_t(p.size()), p.data(), pitch, minPermille, maxPermille,
                                   tolerance, 0, &r.periodSum, inlierWindow, &r.inliers, &r.pitch),
      0);
  return r;
}

// Slope of the least-squares line through (index, position).
double fittedPitch(const std::vector<int32_t>& index, const std::vector<int32_t>& p) {
  double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    n += 1;
    sx += index[i];
    sy += p[i];
    sxx += double(index[i]) * index[i];
    sxy += double(index[i]) * p[i];
  }
  return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

TEST(ClockGrid, PitchAgainstALeastSquaresFit) {
  double worst = 0.0;
  // Positions in 1/256 pixel of bars 10 to 13 pixels apart, some missing, with noise of up
  // to a quarter pixel, scanned in either direction; the estimate is 4 % off.
  std::mt19937 random(11);
  for (int32_t run = 0; run < 40; ++run) {
    const double truePitch = 2560.0 + 768.0 * (random() % 1000) / 1000.0;
    const double phase = 1000.0 + (random() % 3000);
    std::uniform_real_distribution<double> noise(-64.0, 64.0);
    std::vector<int32_t> index, p;
    for (int32_t k = 0; k < 60; ++k) {
      if (random() % 5 == 0) continue;  // missing features
      index.push_back(k);
      p.push_back(int32_t(std::lround(phase + k * truePitch + noise(random))));
    }
    if (run % 2) {
      for (auto& v : p) v = 300000 - v;
    }
    const double reference = std::fabs(fittedPitch(index, p));
    const int32_t estimate = int32_t(std::lround(reference * (run % 4 < 2 ? 1.04 : 0.96)));
    const refined r = refine(p, estimate, 900, 1100, 64);
    // The fitted drift is a whole number of 1/256 period per period, truncated, and the
    // first pass's accuracy already lets runs span the grid: within 2.5 such steps.
    EXPECT_NEAR(r.pitch, reference, 2.5 * estimate / 256) << run << " estimate " << estimate;
    EXPECT_GT(r.inliers, int32_t(p.size()) * 3 / 4) << run;
    worst = std::max(worst, std::fabs(r.pitch - reference) / reference);
  }
  EXPECT_LT(worst, 0.01);
}

TEST(ClockGrid, ExactGridsDriftAndIsolatedFeatures) {
  // Exact multiples: every phase 0, slope 0, the pitch comes back unchanged.
  std::vector<int32_t> exact;
  for (int32_t k = 0; k < 30; ++k) exact.push_back(500 + 1000 * k);
  refined r = refine(exact, 1000, 950, 1050, 20);
  EXPECT_EQ(r.pitch, 1000);
  EXPECT_EQ(r.inliers, 30);
  EXPECT_GT(r.periodSum, 0);

  // Features 1.01 times the estimate apart over 50 periods, a +-5 % range.
  std::vector<int32_t> drift;
  for (int32_t k = 0; k <= 50; ++k) drift.push_back(int32_t(std::lround(k * 1010.0)));
  r = refine(drift, 1000, 950, 1050, 20);
  EXPECT_NEAR(r.pitch, 1010, 4);

  // A feature far beyond the others (a run of length 0) leaves the fit alone.
  std::vector<int32_t> isolated(drift.begin(), drift.begin() + 20);
  const refined without = refine(isolated, 1000, 950, 1050, 20);
  isolated.push_back(40 * 1010 + 37);
  r = refine(isolated, 1000, 950, 1050, 20);
  EXPECT_EQ(r.pitch, without.pitch);
  EXPECT_NEAR(r.pitch, 1010, 4);

  // An estimate below the search width is returned as it is.
  const std::vector<int32_t> tiny{0, 10, 20, 30};
  r = refine(tiny, 10, 800, 1200, 4);  // search width 12
  EXPECT_EQ(r.pitch, 10);
  EXPECT_EQ(r.periodSum, 0);
  EXPECT_EQ(r.inliers, 0);
}

TEST(ClockGrid, ArgumentChecksAndWorkAreaFailure) {
  const std::vector<int32_t> p{0, 1000, 2000, 3000};
  int32_t S = -1, inliers = -1, pitch = -1;
  auto call = [&](int32_t n, int32_t estimate, int32_t lo, int32_t hi, int32_t tolerance) {
    return cidut_cg1dComputeScaledPitch(n, p.data(), estimate, lo, hi, tolerance, 0, &S, 64,
                                        &inliers, &pitch);
  };
  EXPECT_CHECK_FAILS(call(1, 1000, 950, 1050, 20));
  EXPECT_CHECK_FAILS(call(4, 0, 950, 1050, 20));
  EXPECT_CHECK_FAILS(call(4, 1000, 500, 1050, 20));
  EXPECT_CHECK_FAILS(call(4, 1000, 950, 1000, 20));
  EXPECT_CHECK_FAILS(call(4, 1000, 950, 2000, 20));
  EXPECT_CHECK_FAILS(call(4, 1000, 1000, 1050, 20));
  EXPECT_CHECK_FAILS(call(4, 1000, 950, 1050, 0));
  EXPECT_CHECK_FAILS(call(4, 1000, 950, 1050, 500));
  EXPECT_CHECK_FAILS(call(4, 1000, 700, 1050, 20));  // 499 / 300 periods: fewer than 2
  EXPECT_EQ(call(4, 1000, 800, 1200, 20), 0);        // 499 / 200 = 2 periods
  {
    leakGuard guard;
    S = inliers = pitch = -1;
    EXPECT_EQ(driveAllocationFailures([&] { return call(4, 1000, 950, 1050, 20); }), 1);
  }
  S = inliers = pitch = -1;
  csys_memory_failAllocation(1);
  EXPECT_EQ(call(4, 1000, 950, 1050, 20), CSYS_STATUS_NO_MEMORY);
  csys_memory_failAllocation(0);
  EXPECT_EQ(S + inliers + pitch, -3);  // nothing written
}

struct onGrid {
  std::vector<int32_t> indices, work;
  int32_t phase = -1, flag = -1;
};

onGrid assign(const std::vector<int32_t>& p, int32_t pitch, int32_t minGap) {
  onGrid g;
  g.indices.assign(p.size(), 99);
  g.work.assign(p.size(), 99);
  EXPECT_EQ(cidut_cg1dOnGrid(int32_t(p.size()), p.data(), g.indices.data(), pitch, minGap,
                             g.work.data(), &g.phase, &g.flag),
            0);
  EXPECT_EQ(g.indices, g.work);
  EXPECT_EQ(g.flag, 0);
  return g;
}

using ints = std::vector<int32_t>;

TEST(ClockGrid, GroupsPhasesAndIndices) {
  onGrid g = assign({105, 206, 307, 490}, 100, 10);
  EXPECT_EQ(g.phase, 1);  // (5 + 7 - 10) / 2
  EXPECT_EQ(g.indices, (ints{0, 1, 2, -1}));
  // Phases 98, 99, 1, 2 form one group across the wrap.
  g = assign({98, 199, 301, 402}, 100, 10);
  EXPECT_EQ(g.phase, 95);  // (98 + 102 - 10) / 2
  EXPECT_EQ(g.indices, (ints{0, 1, 2, 3}));
  // Two groups of three: the narrower wins; of equally narrow ones, the lower phases.
  g = assign({1010, 1121, 1229, 1345, 1455, 1562}, 100, 20);  // 10, 21, 29 and 45, 55, 62
  EXPECT_EQ(g.indices, (ints{-1, -1, -1, 0, 1, 2}));
  EXPECT_EQ(g.phase, (45 + 62 - 20) / 2);
  g = assign({1350, 1460, 1565, 1010, 1120, 1225}, 100, 20);  // 50, 60, 65 and 10, 20, 25
  EXPECT_EQ(g.indices, (ints{-1, -1, -1, 0, 1, 2}));
  EXPECT_EQ(g.phase, (10 + 25 - 20) / 2);
  // Unsorted scan order, a missing feature and negative positions (phase |p mod pitch|).
  g = assign({-395, 5, 205, -195, 312, 606}, 100, 6);  // phases 95, 5, 5, 95, 12, 6
  EXPECT_EQ(g.indices, (ints{-1, 0, 2, -1, -1, 6}));
  EXPECT_EQ(g.phase, (5 + 6 - 6) / 2);
  // Many features against a brute-force count of the best group.
  std::mt19937 random(5);
  std::vector<int32_t> p;
  for (int32_t k = 0; k < 200; ++k) {
    // Every third feature lies off the grid, at phases 100 to 199.
    p.push_back(k % 3 ? 37 + 250 * k + int32_t(random() % 9)
                      : 100 + 250 * int32_t(random() % 200) + int32_t(random() % 100));
  }
  g = assign(p, 250, 12);
  int32_t members = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    if (g.indices[i] < 0) continue;
    ++members;
    EXPECT_EQ(g.indices[i], int32_t(i) - 1) << i;  // the first member is feature 1
    EXPECT_LT(std::abs(p[i] - g.phase - 250 * (g.indices[i] + 1)), 12);
  }
  EXPECT_GE(members, 133);
  int32_t best = 0;
  for (int32_t start = 0; start < 250; ++start) {
    int32_t count = 0;
    for (int32_t v : p) count += ((std::abs(v % 250) - start + 250) % 250) < 12;
    best = std::max(best, count);
  }
  EXPECT_EQ(members, best);

  std::vector<int32_t> out(2), work(2);
  int32_t phase, flag;
  const int32_t two[2] = {1, 2};
  EXPECT_CHECK_FAILS(cidut_cg1dOnGrid(1, two, out.data(), 100, 10, work.data(), &phase, &flag));
  EXPECT_CHECK_FAILS(cidut_cg1dOnGrid(2, two, out.data(), 0, 10, work.data(), &phase, &flag));
  EXPECT_CHECK_FAILS(cidut_cg1dOnGrid(2, two, out.data(), 100, 0, work.data(), &phase, &flag));
  EXPECT_CHECK_FAILS(cidut_cg1dOnGrid(2, two, out.data(), 100, 101, work.data(), &phase, &flag));
}

}  // namespace
