// Edges to teeth on clock tracks of known bars.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "ci_id/priv/ci_idut/pitch.h"
#include "pitch/clock_track.h"
#include "support/hooks.h"

namespace {

// Centre of bar k, 24.8 from the centre of an 80-pixel scan.
int32_t clockCentre(int k) {
  return (8 * k + 2 - 40) * 256;
}

TEST(EdgesToTeeth, WorkedClockTrack) {
  teeth t;
  ASSERT_EQ(run(clockParams(), barEdges(clockBars(), 80.0), scanRect(10, 20, 80), &t), 0);
  const auto list = t.list();
  ASSERT_EQ(list.size(), 10u);
  for (int k = 0; k < 10; ++k) {
    const cidut_toothCand& c = list[k];
    // Score ((256 x 0.8) + (256 x 1.5)) / 2 = (205 + 384) / 2.
    EXPECT_EQ((std::array{c.slot, c.centre, c.centreUnmapped, c.firstEdge, c.secondEdge, c.width,
                          c.contrast, c.score}),
              (std::array{k, clockCentre(k), clockCentre(k), 2 * k, 2 * k + 1, 1024, 200 * 256,
                          294}));
  }
  // Centres 2 px into each pitch from the scan start: dominant shift 512.
  EXPECT_EQ((std::array{t.r.measuredPitch, t.r.dominantWidth, t.r.dominantShift, t.r.avgCellSize,
                        t.r.avgCellSizeDeviation}),
            (std::array{2048, 1024, 512, 1024, 0}));
}

TEST(EdgesToTeeth, MissingTeethInsideAndAtBothEnds) {
  teeth t;
  ASSERT_EQ(run(clockParams(), barEdges(clockBars({0, 1, 4, 5, 9}), 80.0), scanRect(10, 20, 80),
                &t),
            0);
  auto list = t.list();
  ASSERT_EQ(list.size(), 10u);
  EXPECT_EQ(list[5].score, 256);  // synthetic teeth: score 256, the expected width
  EXPECT_EQ(list[5].width, 1024);
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(list[k].slot, k);
    EXPECT_EQ(list[k].centre, clockCentre(k));
    EXPECT_EQ(list[k].firstEdge < 0, k < 2 || k == 4 || k == 5 || k == 9) << k;
  }
  // A border slot at each end, extrapolated.
  cidut_edgePairingParams p = clockParams();
  p.expectedCount = 12;
  p.borderSlots = 1;
  ASSERT_EQ(run(p, barEdges(clockBars(), 80.0), scanRect(10, 20, 80), &t), 0);
  list = t.list();
  ASSERT_EQ(list.size(), 12u);
  EXPECT_TRUE(list[0].firstEdge == -1 && list[1].firstEdge == 0 && list[11].firstEdge == -1);
  EXPECT_TRUE(list[0].centre == clockCentre(0) - 2048 && list[11].centre == clockCentre(9) + 2048);
}

TEST(EdgesToTeeth, EarlyExitsAndChecks) {
  leakGuard guard;
  teeth t;
  const std::vector<cidut_edge1D> edges = barEdges(clockBars({5}), 80.0);
  ASSERT_EQ(run(clockParams(), {edges.begin(), edges.begin() + 4}, scanRect(10, 20, 80), &t), 0);
  EXPECT_TRUE(t.list().empty());
  EXPECT_EQ(t.r.measuredPitch, -256);
  EXPECT_EQ(run(clockParams(), edges, scanRect(10, 20, 80), &t, nullptr, nullptr, nullptr, 1),
            CIDUT_ERR_BAD_PARAMETER);
  EXPECT_TRUE(t.list().empty());
  // More than 2.7 candidates per bin.
  std::vector<cidut_edge1D> busy;
  for (int32_t i = 0; i < 40; ++i) busy.push_back({-4000 + i * 200, (i % 2 ? 1 : -1) * 50000});
  ASSERT_EQ(run(clockParams(), busy, scanRect(0, 0, 40), &t), 0);
  EXPECT_TRUE(t.list().empty());
  EXPECT_CHECK_FAILS(run(clockParams(), edges, scanRect(10, 20, 20), &t));

  EXPECT_CHECK_FAILS(cidut_teethResults_constructCopy(&t.r, nullptr));
}

}  // namespace
