// Clock grids: the refined pitch against a least-squares fit; grid assignments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "ci_id/priv/ci_idut/pitch.h"
#include "support/hooks.h"

namespace {

using ints = std::vector<int32_t>;

struct refined {
  int32_t pitch = 0, periodSum = 0, inliers = 0;
};

refined refine(const ints& p, int32_t pitch, int32_t minPermille, int32_t maxPermille,
               int32_t tolerance) {
  refined r;
  EXPECT_EQ(cidut_cg1dComputeScaledPitch(int32_t(p.size()), p.data(), pitch, minPermille,
                                         maxPermille, tolerance, 0, &r.periodSum, 64, &r.inliers,
                                         &r.pitch),
            0);
  return r;
}

double fittedPitch(const ints& index, const ints& p) {
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

// Bars 10 to 13 pixels apart (1/256 pixel), some missing, noisy, either way; the estimate
// 4 % off. Within 2.5 of the truncated 1/256 steps.
TEST(ClockGrid, PitchAgainstALeastSquaresFit) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> noise(-64.0, 64.0);
  for (int32_t run = 0; run < 8; ++run) {
    const double truePitch = 2560.0 + 768.0 * (random() % 1000) / 1000.0;
    const double phase = 1000.0 + (random() % 3000);
    ints index, p;
    for (int32_t k = 0; k < 60; ++k) {
      if (random() % 5 == 0) continue;
      index.push_back(k);
      p.push_back(int32_t(std::lround(phase + k * truePitch + noise(random))));
    }
    if (run % 2) {
      for (auto& v : p) v = 300000 - v;
    }
    const double reference = std::fabs(fittedPitch(index, p));
    const int32_t estimate = int32_t(std::lround(reference * (run % 4 < 2 ? 1.04 : 0.96)));
    const refined r = refine(p, estimate, 900, 1100, 64);
    EXPECT_NEAR(r.pitch, reference, 2.5 * estimate / 256) << run << " estimate " << estimate;
    EXPECT_GT(r.inliers, int32_t(p.size()) * 3 / 4) << run;
  }
}

TEST(ClockGrid, ExactGridAndIsolatedFeature) {
  ints exact;
  for (int32_t k = 0; k < 30; ++k) exact.push_back(500 + 1000 * k);
  refined r = refine(exact, 1000, 950, 1050, 20);
  EXPECT_EQ(r.pitch, 1000);
  EXPECT_EQ(r.inliers, 30);
  EXPECT_GT(r.periodSum, 0);

  exact.push_back(60 * 1000 + 537);
  EXPECT_EQ(refine(exact, 1000, 950, 1050, 20).pitch, 1000);

  // Below the search width (12): returned as it is.
  r = refine({0, 10, 20, 30}, 10, 800, 1200, 4);
  EXPECT_EQ(r.pitch, 10);
  EXPECT_EQ(r.periodSum, 0);
  EXPECT_EQ(r.inliers, 0);
}

TEST(ClockGrid, ArgumentChecksAndWorkAreaFailure) {
  const ints p{0, 1000, 2000, 3000};
  int32_t S = -1, inliers = -1, pitch = -1;
  auto call = [&](int32_t n, int32_t estimate, int32_t lo, int32_t hi, int32_t tolerance) {
    return cidut_cg1dComputeScaledPitch(n, p.data(), estimate, lo, hi, tolerance, 0, &S, 64,
                                        &inliers, &pitch);
  };
  EXPECT_CHECK_FAILS(call(1, 1000, 950, 1050, 20));
  EXPECT_CHECK_FAILS(call(4, 1000, 700, 1050, 20));  // 499 / 300 periods: fewer than 2
  EXPECT_EQ(call(4, 1000, 800, 1200, 20), 0);        // 499 / 200 = 2 periods
  S = inliers = pitch = -1;
  EXPECT_EQ(driveAllocationFailures([&] {
              const int32_t status = call(4, 1000, 950, 1050, 20);
              EXPECT_TRUE(status >= 0 || S + inliers + pitch == -3);  // nothing written
              return status;
            }),
            1);
}

struct onGrid {
  ints indices, work;
  int32_t phase = -1, flag = -1;
};

onGrid assign(const ints& p, int32_t pitch, int32_t minGap) {
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

TEST(ClockGrid, GroupsPhasesAndIndices) {
  onGrid g = assign({105, 206, 307, 490}, 100, 10);
  EXPECT_EQ(g.phase, 1);  // (5 + 7 - 10) / 2
  EXPECT_EQ(g.indices, (ints{0, 1, 2, -1}));
  g = assign({98, 199, 301, 402}, 100, 10);  // one group across the wrap
  EXPECT_EQ(g.phase, 95);                    // (98 + 102 - 10) / 2
  EXPECT_EQ(g.indices, (ints{0, 1, 2, 3}));
  // Of two groups the narrower wins; of equally narrow ones, the lower phases.
  g = assign({1010, 1121, 1229, 1345, 1455, 1562}, 100, 20);
  EXPECT_EQ(g.indices, (ints{-1, -1, -1, 0, 1, 2}));
  EXPECT_EQ(g.phase, (45 + 62 - 20) / 2);
  g = assign({1350, 1460, 1565, 1010, 1120, 1225}, 100, 20);
  EXPECT_EQ(g.indices, (ints{-1, -1, -1, 0, 1, 2}));
  EXPECT_EQ(g.phase, (10 + 25 - 20) / 2);
  g = assign({-395, 5, 205, -195, 312, 606}, 100, 6);
  EXPECT_EQ(g.indices, (ints{-1, 0, 2, -1, -1, 6}));
  EXPECT_EQ(g.phase, (5 + 6 - 6) / 2);

  // Every third feature off the grid, against a brute-force count.
  std::mt19937 random(5);
  ints p;
  for (int32_t k = 0; k < 100; ++k) {
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
  int32_t best = 0;
  for (int32_t start = 0; start < 250; ++start) {
    int32_t count = 0;
    for (int32_t v : p) count += ((std::abs(v % 250) - start + 250) % 250) < 12;
    best = std::max(best, count);
  }
  EXPECT_GE(members, 66);
  EXPECT_EQ(members, best);

  ints out(2), work(2);
  int32_t phase, flag;
  const int32_t two[2] = {1, 2};
  EXPECT_CHECK_FAILS(cidut_cg1dOnGrid(2, two, out.data(), 100, 101, work.data(), &phase, &flag));
}

}  // namespace
