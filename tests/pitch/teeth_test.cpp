// Edges to teeth on clock tracks of known bars: the worked track, missing teeth, jittered
// edges against direct centres, a scaled scan, the failure exits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "ci_id/priv/ci_idut/pitch.h"
#include "id/idut/pitch/teeth_steps.h"
#include "support/hooks.h"

namespace {

// A horizontal scan rectangle from (x0, y0), length pixels long.
cmath_shapeAffineRect scanRect(double x0, double y0, double length) {
  return cmath_shapeAffineRect{{x0, y0}, {x0 + length, y0}, {x0, y0 + 6.0}};
}

// Dark bars (start, width in pixels from the scan start) on a scan of the given length:
// a falling edge then a rising one, magnitudes in 24.8 grey.
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

// Centre of bar k of the clock track, 24.8 from the centre of an 80-pixel scan.
int32_t clockCentre(int k) {
  return (8 * k + 2 - 40) * 256;
}

TEST(EdgesToTeeth, WorkedClockTrack) {
  teeth t;
  cidut_edgePairingParams withPoints = clockParams();
  withPoints.computePoints = 1;
  const cmath_xformLinear shift{{1.0, 0.0, 0.0, 1.0}, {0.0, 100.0}};
  ASSERT_EQ(run(withPoints, barEdges(clockBars(), 80.0), scanRect(10, 20, 80), &t, nullptr,
                nullptr, &shift),
            0);
  const auto list = t.list();
  ASSERT_EQ(list.size(), 10u);
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(list[k].slot, k);
    EXPECT_EQ(list[k].centre, clockCentre(k));
    EXPECT_EQ(list[k].centreUnmapped, clockCentre(k));
    EXPECT_EQ(list[k].firstEdge, 2 * k);
    EXPECT_EQ(list[k].secondEdge, 2 * k + 1);
    EXPECT_EQ(list[k].width, 1024);
    EXPECT_EQ(list[k].contrast, 200 * 256);
    EXPECT_EQ(list[k].score, 294);  // ((256 x 0.8) + (256 x 1.5)) / 2 = (205 + 384) / 2
    // Points on the rectangle's axis (y = 23), moved down by the point transform.
    EXPECT_NEAR(list[k].point.x, 50.0 + clockCentre(k) / 256.0, 1e-9);
    EXPECT_NEAR(list[k].point.y, 123.0, 1e-9);
  }
  EXPECT_EQ(t.r.measuredPitch, 2048);
  EXPECT_EQ(t.r.dominantWidth, 1024);
  EXPECT_EQ(t.r.dominantShift, 512);  // centres 2 px into each pitch from the scan start
  EXPECT_EQ(t.r.avgCellSize, 1024);
  EXPECT_EQ(t.r.avgCellSizeDeviation, 0);

  // Light bars: the dark gaps between them are the teeth, the last slot extrapolated.
  std::vector<cidut_edge1D> light = barEdges(clockBars(), 80.0);
  for (auto& e : light) e.magnitude = -e.magnitude;
  ASSERT_EQ(run(clockParams(), light, scanRect(10, 20, 80), &t), 0);
  const auto gaps = t.list();
  ASSERT_EQ(gaps.size(), 10u);
  for (int k = 0; k < 9; ++k) {
    EXPECT_EQ(gaps[k].centre, clockCentre(k) + 1024);
    EXPECT_EQ(gaps[k].firstEdge, 2 * k + 1);
  }
  EXPECT_EQ(gaps[9].firstEdge, -1);
  EXPECT_EQ(gaps[9].centre, clockCentre(8) + 1024 + 2048);
}

TEST(EdgesToTeeth, MissingTeethInsideAndAtBothEnds) {
  teeth t;
  // Two adjacent inside (the widest spacing split twice) and both ends missing.
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

  // Border slots keep entry 0 and the last free of real teeth: grid slot g goes to entry
  // g + 1, and the ends are extrapolated.
  cidut_edgePairingParams p = clockParams();
  p.expectedCount = 12;
  p.borderSlots = 1;
  ASSERT_EQ(run(p, barEdges(clockBars(), 80.0), scanRect(10, 20, 80), &t), 0);
  list = t.list();
  ASSERT_EQ(list.size(), 12u);
  EXPECT_EQ(list[0].firstEdge, -1);
  EXPECT_EQ(list[11].firstEdge, -1);
  for (int k = 0; k < 10; ++k) EXPECT_EQ(list[k + 1].firstEdge, 2 * k);
  EXPECT_EQ(list[0].centre, clockCentre(0) - 2048);
  EXPECT_EQ(list[11].centre, clockCentre(9) + 2048);

  // Two slots per pitch: real teeth in the even slots, the odd ones half a pitch between.
  p = clockParams();
  p.expectedCount = 19;
  p.twoSlotsPerPitch = 1;
  ASSERT_EQ(run(p, barEdges(clockBars(), 80.0), scanRect(10, 20, 80), &t), 0);
  list = t.list();
  ASSERT_EQ(list.size(), 19u);
  for (int s = 0; s < 19; ++s) {
    EXPECT_EQ(list[s].slot, s);
    EXPECT_EQ(list[s].centre, clockCentre(0) + s * 1024);
    EXPECT_EQ(list[s].firstEdge < 0, s % 2 == 1);
  }

  // Too few teeth: one pair against minTeeth 2.
  ASSERT_EQ(run(clockParams(), barEdges({{8.0, 4.0}, {30.0, 1.0}, {50.0, 1.0}}, 80.0, 200.0),
                scanRect(10, 20, 80), &t),
            0);
  EXPECT_TRUE(t.list().empty());
}

// Extrapolation when the widest spacing lies between adjacent entries: the run up to the
// nearest free slot moves aside (renumbered when moving right, not when moving left).
TEST(EdgesToTeeth, ExtrapolationMovesMisplacedRuns) {
  ccTeethScan scan{};
  scan.pitch = 2048;
  scan.expectedWidth = 1024;
  auto tooth = [](int32_t centre, int32_t slot) {
    cidut_toothCand t{};
    cidut_toothCand_init(&t);
    t.centre = centre;
    t.slot = slot;
    t.firstEdge = t.secondEdge = 0;
    return t;
  };
  cidut_toothCand empty{};
  cidut_toothCand_init(&empty);
  // Entries 0, 1 two pitches apart, entry 2 right after, 3 free, 4 a pitch on.
  std::vector<cidut_toothCand> teeth{tooth(0, 0), tooth(4096, 1), tooth(6144, 2), empty,
                                     tooth(10240, 4)};
  cidut_teethExtrapolate(scan, teeth.data(), 5);
  EXPECT_EQ(teeth[1].centre, 2048);  // midpoint of 0 and 4096
  EXPECT_EQ(teeth[1].firstEdge, -1);
  EXPECT_EQ(teeth[3].centre, 6144);
  EXPECT_EQ(teeth[3].slot, 3);  // renumbered

  // Free slot 1 left of the widest spacing (entries 3, 4): entries 2, 3 move left.
  teeth = {tooth(0, 0), empty, tooth(2048, 2), tooth(4096, 3), tooth(8192, 4)};
  cidut_teethExtrapolate(scan, teeth.data(), 5);
  EXPECT_EQ(teeth[1].centre, 2048);
  EXPECT_EQ(teeth[1].slot, 2);  // kept
  EXPECT_EQ(teeth[3].centre, (4096 + 8192) / 2);
  EXPECT_EQ(teeth[3].firstEdge, -1);
}

// Jittered edges of uneven contrast: every real tooth at the midpoint of its own edges,
// the pitch within the jitter.
TEST(EdgesToTeeth, JitteredTrackAgainstDirectCentres) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> jitter(-0.3, 0.3), gain(0.85, 1.15);
  for (int trial = 0; trial < 4; ++trial) {
    std::vector<cidut_edge1D> edges;
    for (int k = 0; k < 12; ++k) {
      const double start = 3.0 + 7.0 * k + jitter(random), end = start + 3.5 + jitter(random);
      const double contrast = 120.0 * gain(random);
      edges.push_back({int32_t((start - 44.0) * 256), -int32_t(contrast * 256 * gain(random))});
      edges.push_back({int32_t((end - 44.0) * 256), int32_t(contrast * 256 * gain(random))});
    }
    cidut_edgePairingParams p = clockParams();
    p.expectedCount = 12;
    p.expectedWidth = 3.5;
    p.expectedPitch = 7.0;
    teeth t;
    ASSERT_EQ(run(p, edges, scanRect(0, 0, 88), &t), 0);
    const auto list = t.list();
    ASSERT_EQ(list.size(), 12u) << trial;
    for (int k = 0; k < 12; ++k) {
      ASSERT_EQ(list[k].firstEdge, 2 * k) << trial;
      EXPECT_EQ(list[k].centre, (edges[2 * k].position + edges[2 * k + 1].position) / 2);
      EXPECT_EQ(list[k].width, edges[2 * k + 1].position - edges[2 * k].position);
    }
    EXPECT_NEAR(t.r.measuredPitch, 7 * 256, 0.6 * 256 / 11 + 1);
  }
}

// A mapping that doubles the scan: lengths scale by two, positions are measured in the
// mapped frame, and synthetic teeth come back to the caller's scan through the inverse.
TEST(EdgesToTeeth, PerspectiveScaledScan) {
  cmath_xformLinear doubling{{2.0, 0.0, 0.0, 2.0}, {5.0, -3.0}};
  cmath_xformLinear halving{{0.5, 0.0, 0.0, 0.5}, {-2.5, 1.5}};
  cmath_xform forward, inverse;
  ASSERT_EQ(cmath_xform_initLinear(&forward, &doubling), 0);
  ASSERT_EQ(cmath_xform_initLinear(&inverse, &halving), 0);
  teeth t;
  ASSERT_EQ(run(clockParams(), barEdges(clockBars({3}), 80.0), scanRect(10, 20, 80), &t, &forward,
                &inverse),
            0);
  const auto list = t.list();
  ASSERT_EQ(list.size(), 10u);
  // Mapped positions are distances times 256 plus 0.5 truncated, signed afterwards: a
  // negative one comes out one unit towards zero.
  auto mapped = [](int32_t position) { return int32_t(2.0 * position + 0.5); };
  const std::vector<cidut_edge1D> edges = barEdges(clockBars({3}), 80.0);
  for (int k = 0, e = 0; k < 10; ++k) {
    EXPECT_EQ(list[k].firstEdge < 0, k == 3);
    if (k == 3) {
      EXPECT_EQ(list[k].centre, list[2].centre + 4096);
      EXPECT_EQ(list[k].centreUnmapped, int32_t(-std::fabs(list[k].centre / 512.0) * 256 + 0.5));
      continue;
    }
    EXPECT_EQ(list[k].centre, (mapped(edges[e].position) + mapped(edges[e + 1].position)) / 2);
    EXPECT_EQ(list[k].centreUnmapped, clockCentre(k));
    e += 2;
  }
  EXPECT_EQ(list[3].width, 2048);
  EXPECT_EQ(t.r.measuredPitch, (list[9].centre - list[0].centre) / 9);
  EXPECT_EQ(t.r.expectedWidth, 2048);
}

TEST(EdgesToTeeth, EarlyExitsCopiesAndFailures) {
  leakGuard guard;
  teeth t;
  // Four edges: nothing, summary fields reset.
  const std::vector<cidut_edge1D> edges = barEdges(clockBars({5}), 80.0);
  ASSERT_EQ(run(clockParams(), {edges.begin(), edges.begin() + 4}, scanRect(10, 20, 80), &t), 0);
  EXPECT_TRUE(t.list().empty());
  EXPECT_EQ(t.r.measuredPitch, -256);
  // Flags without positions along x.
  EXPECT_EQ(run(clockParams(), edges, scanRect(10, 20, 80), &t, nullptr, nullptr, nullptr, 1),
            CIDUT_ERR_BAD_PARAMETER);
  EXPECT_TRUE(t.list().empty());
  // A busy scan: more than 2.7 candidates per bin.
  std::vector<cidut_edge1D> busy;
  for (int32_t i = 0; i < 40; ++i) busy.push_back({-4000 + i * 200, (i % 2 ? 1 : -1) * 50000});
  ASSERT_EQ(run(clockParams(), busy, scanRect(0, 0, 40), &t), 0);
  EXPECT_TRUE(t.list().empty());
  // A centre beyond the bins is an argument error.
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
  // A failing copy leaves nothing constructed; a good one holds the teeth.
  ASSERT_EQ(run(clockParams(), edges, scanRect(10, 20, 80), &t), 0);
  EXPECT_EQ(driveAllocationFailures([&] {
              cidut_teethResults r;
              const int32_t status = cidut_teethResults_constructCopy(&r, &t.r);
              if (status >= 0) cidut_teethResults_destruct(&r);
              return status;
            }),
            2);
  cidut_teethResults clone;
  ASSERT_EQ(cidut_teethResults_constructCopy(&clone, &t.r), 0);
  int32_t n = 0;
  EXPECT_EQ(cstd_vector_cidut_toothCand_getSize(&clone.teeth, &n), 0);
  EXPECT_EQ(n, 10);
  EXPECT_EQ(clone.measuredPitch, t.r.measuredPitch);
  EXPECT_EQ(cidut_teethResults_destruct(&clone), 0);
  EXPECT_CHECK_FAILS(cidut_teethResults_constructCopy(&t.r, nullptr));
}

}  // namespace
