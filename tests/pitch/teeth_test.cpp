// Edges to teeth on clock tracks of known bars.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "ci_id/priv/ci_idut/pitch.h"
#include "support/hooks.h"

namespace {

cmath_shapeAffineRect scanRect(double x0, double y0, double length) {
  return cmath_shapeAffineRect{{x0, y0}, {x0 + length, y0}, {x0, y0 + 6.0}};
}

// Dark bars (start, width from the scan start): a falling then a rising edge, 24.8.
std::vector<cidut_edge1D> barEdges(const std::vector<std::pair<double, double>>& bars,
                                   double length, double contrast = 200.0) {
  std::vector<cidut_edge1D> edges;
  for (const auto& [start, width] : bars) {
    edges.push_back({int32_t(std::lround((start - length / 2) * 256)), int32_t(-contrast * 256)});
    edges.push_back(
        {int32_t(std::lround((start + width - length / 2) * 256)), int32_t(contrast * 256)});
  }
  return edges;
}

// Ten bars of width 4 at pitch 8 from the scan start, less the missing ones.
std::vector<std::pair<double, double>> clockBars(std::vector<int> missing = {}) {
  std::vector<std::pair<double, double>> bars;
  for (int k = 0; k < 10; ++k) {
    if (std::find(missing.begin(), missing.end(), k) == missing.end())
      bars.push_back({8.0 * k, 4.0});
  }
  return bars;
}

cidut_edgePairingParams clockParams() {
  cidut_edgePairingParams p;
  EXPECT_EQ(cidut_edgePairingParams_init(&p), 0);
  p.expectedCount = 10;
  p.expectedWidth = 4.0;
  p.expectedPitch = 8.0;
  return p;
}

struct teeth {
  cidut_teethResults r;
  teeth() { EXPECT_EQ(cidut_teethResults_construct(&r), 0); }
  ~teeth() { cidut_teethResults_destruct(&r); }
  std::vector<cidut_toothCand> list() const {
    const cidut_toothCand* begin = nullptr;
    int32_t n = 0;
    EXPECT_EQ(cstd_vector_cidut_toothCand_getBeginSizeConst(&r.teeth, &begin, &n), 0);
    return std::vector<cidut_toothCand>(begin, begin + n);
  }
};

int32_t run(const cidut_edgePairingParams& p, const std::vector<cidut_edge1D>& edges,
            const cmath_shapeAffineRect& rect, teeth* out, const cmath_xform* forward = nullptr,
            const cmath_xform* inverse = nullptr, const cmath_xformLinear* points = nullptr,
            int32_t flags = CIDUT_EDGES_ALONG_X) {
  const cidut_edgeList1D list{int32_t(edges.size()), flags, 0, edges.data()};
  return cidut_edgesToTeeth(&p, &list, forward, inverse, &rect, points, &out->r);
}

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

TEST(EdgesToTeeth, EarlyExitsCopiesAndFailures) {
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

  cmath_xformLinear identity{{1.0, 0.0, 0.0, 1.0}, {0.0, 0.0}};
  cmath_xform forward;
  ASSERT_EQ(cmath_xform_initLinear(&forward, &identity), 0);
  const int allocations = driveAllocationFailures(
      [&] { return run(clockParams(), edges, scanRect(10, 20, 80), &t, &forward, &forward); });
  EXPECT_GT(allocations, 3);
  EXPECT_EQ(
      driveAttentionFailures([&] { return run(clockParams(), edges, scanRect(10, 20, 80), &t); }),
      4);
  ASSERT_EQ(run(clockParams(), edges, scanRect(10, 20, 80), &t), 0);
  EXPECT_EQ(driveAllocationFailures([&] {
              cidut_teethResults r;
              const int32_t status = cidut_teethResults_constructCopy(&r, &t.r);
              int32_t n = 0;
              if (status < 0) return status;
              EXPECT_TRUE(cstd_vector_cidut_toothCand_getSize(&r.teeth, &n) == 0 && n == 10);
              EXPECT_EQ(r.measuredPitch, t.r.measuredPitch);
              return cidut_teethResults_destruct(&r);
            }),
            2);
  EXPECT_CHECK_FAILS(cidut_teethResults_constructCopy(&t.r, nullptr));
}

}  // namespace
