// Clock grids: the refined pitch against a least-squares fit; grid assignments.
#include <gtest/gtest.h>

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

TEST(ClockGrid, ExactGridAndIsolatedFeature) {
  ints exact;
  for (int32_t k = 0; k < 30; ++k) exact.push_back(500 + 1000 * k);
  refined r = refine(exact, 1000, 950, 1050, 20);
  EXPECT_EQ(r.pitch, 1000);
  EXPECT_EQ(r.inliers, 30);


  // Below the search width (12): returned as it is.
  r = refine({0, 10, 20, 30}, 10, 800, 1200, 4);
  EXPECT_EQ(r.pitch, 10);
  EXPECT_EQ(r.periodSum, 0);
  EXPECT_EQ(r.inliers, 0);
}

TEST(ClockGrid, ArgumentChecks) {
  const ints p{0, 1000, 2000, 3000};
  int32_t S = -1, inliers = -1, pitch = -1;
  auto call = [&](int32_t n, int32_t estimate, int32_t lo, int32_t hi, int32_t tolerance) {
    return cidut_cg1dComputeScaledPitch(n, p.data(), estimate, lo, hi, tolerance, 0, &S, 64,
                                        &inliers, &pitch);
  };
  EXPECT_CHECK_FAILS(call(4, 1000, 700, 1050, 20));  // 499 / 300 periods: fewer than 2
  EXPECT_EQ(call(4, 1000, 800, 1200, 20), 0);        // 499 / 200 = 2 periods

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
  // Of two equally narrow groups, the lower phases.
  g = assign({1350, 1460, 1565, 1010, 1120, 1225}, 100, 20);
  EXPECT_EQ(g.indices, (ints{-1, -1, -1, 0, 1, 2}));
  EXPECT_EQ(g.phase, (10 + 25 - 20) / 2);


  ints out(2), work(2);
  int32_t phase, flag;
  const int32_t two[2] = {1, 2};
  EXPECT_CHECK_FAILS(cidut_cg1dOnGrid(2, two, out.data(), 100, 101, work.data(), &phase, &flag));
}

}  // namespace
