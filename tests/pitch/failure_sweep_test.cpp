// Every pitch call that allocates or polls, through each of its failures.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ci_id/priv/ci_idut/pitch.h"
#include "pitch/clock_track.h"
#include "support/failure_sweep.h"
#include "support/held_image.h"
#include "support/synthetic.h"

namespace {

// op on new teeth results, released after it.
int32_t onNewResults(const std::function<int32_t(cidut_teethResults*)>& op) {
  cidut_teethResults r;
  int32_t status = cidut_teethResults_construct(&r);
  if (status < 0) return status;
  status = op(&r);
  const int32_t destructed = cidut_teethResults_destruct(&r);
  return status < 0 ? status : destructed;
}

int32_t toothCount(const cidut_teethResults& r) {
  int32_t n = -1;
  EXPECT_EQ(cstd_vector_cidut_toothCand_getSize(&r.teeth, &n), 0);
  return n;
}

TEST(PitchFailureSweep, EveryAllocatingOrPollingCall) {
  std::vector<uint32_t> model(10), signal(60);
  for (size_t i = 0; i < signal.size(); ++i) signal[i] = uint32_t((i * 37) % 101);
  for (size_t i = 0; i < model.size(); ++i) model[i] = signal[i + 20];
  const std::vector<uint8_t> m8{1, 2, 3, 4}, s8{4, 3, 2, 1, 0, 1};
  double offset = 0, score = 0;
  std::vector<double> scores(57);
  greyScene step(48, 16, 30);
  step.paint([](double x, double) { return x >= 20.3; }, 220, 32);
  testImage stepImage(step);
  cimg_windowConst window;
  ASSERT_EQ(cimg_windowConst_init(&window, stepImage.constImage()), 0);
  const cmath_vect a{4.0, 8.0}, b{40.0, 8.0};
  const std::vector<uint8_t> profile{0, 0, 0, 200, 200, 200, 200};
  int32_t magnitudes[4], positions[4], count = 0;
  const std::vector<int32_t> grid{0, 1000, 2000, 3000};
  int32_t S = -1, inliers = -1, pitch = -1;
  heldImage modelRow({0, 0, 8, 1}, std::vector<uint8_t>{9, 80, 200, 30, 5, 90, 140, 60});
  heldImage imageRow({0, 0, 30, 1}, 3);
  for (int32_t x = 0; x < 8; ++x) imageRow.at(x + 11, 0) = modelRow.at(x, 0);
  const std::vector<cidut_edge1D> edges = barEdges(clockBars({5}), 80.0);
  cmath_xformLinear identity{{1.0, 0.0, 0.0, 1.0}, {0.0, 0.0}};
  cmath_xform forward;
  ASSERT_EQ(cmath_xform_initLinear(&forward, &identity), 0);
  teeth found;
  ASSERT_EQ(run(clockParams(), edges, scanRect(10, 20, 80), &found), 0);

  const std::vector<sweepRow> rows = {
      // One poll before the loop and one at shifts 0, 8, ..., 56.
      {"cf_correlate1D_U32", [&] {
         return cf_correlate1D_U32(model.data(), 10, signal.data(), 60, 3, scores.data());
       }, CSYS_STATUS_NO_MEMORY, false, 0, 9},
      {"cidut_RunCorrelate_UInt32", [&] {
         return cidut_RunCorrelate_UInt32(model.data(), 10, signal.data(), 60, 3, &offset, &score);
       }, CSYS_STATUS_NO_MEMORY, false, 1, 9},
      {"cf_RunCorrelate_U8", [&] {
         return cf_RunCorrelate_U8(m8.data(), 4, s8.data(), 6, 1, &offset, &score);
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cidut_ip_correlate8", [&] {
         return cidut_ip_correlate8(modelRow.constImage(), imageRow.constImage(), &offset, &score);
       }},
      // The profile and the locator's differences.
      {"cidut_caliperLite", [&] {
         return cidut_caliperLite(&window, &a, &b, 4, 40, 0, magnitudes, positions, &count);
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cidut_lineEdgeLoc", [&] {
         return cidut_lineEdgeLoc(profile.data(), 7, 4, 50, 0, 1.0, magnitudes, positions, &count);
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cidut_lineEdgeLoc2D", [&] {
         return cidut_lineEdgeLoc2D(profile.data(), 7, 4, 50, 0, 1.0, magnitudes, positions, &count);
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cidut_cg1dComputeScaledPitch writes nothing", [&] {
         S = inliers = pitch = -1;
         return cidut_cg1dComputeScaledPitch(4, grid.data(), 1000, 950, 1050, 20, 0, &S, 64,
                                             &inliers, &pitch);
       }, CSYS_STATUS_NO_MEMORY, false, 1, 0, [&] { EXPECT_EQ(S + inliers + pitch, -3); }},
      {"cidut_edgesToTeeth with transforms", [&] {
         return onNewResults([&](cidut_teethResults* r) {
           const cidut_edgeList1D list{int32_t(edges.size()), CIDUT_EDGES_ALONG_X, 0, edges.data()};
           const cidut_edgePairingParams params = clockParams();
           const cmath_shapeAffineRect rect = scanRect(10, 20, 80);
           return cidut_edgesToTeeth(&params, &list, &forward, &forward, &rect, nullptr, r);
         });
       }, CSYS_STATUS_NO_MEMORY, false, anyCount, anyCount},
      {"cidut_edgesToTeeth, a poll per stage", [&] {
         return onNewResults([&](cidut_teethResults* r) {
           const cidut_edgeList1D list{int32_t(edges.size()), CIDUT_EDGES_ALONG_X, 0, edges.data()};
           const cidut_edgePairingParams params = clockParams();
           const cmath_shapeAffineRect rect = scanRect(10, 20, 80);
           return cidut_edgesToTeeth(&params, &list, nullptr, nullptr, &rect, nullptr, r);
         });
       }, CSYS_STATUS_NO_MEMORY, false, anyCount, 4},
      {"cidut_teethResults_construct", [] {
         return onNewResults([](cidut_teethResults*) { return 0; });
       }},
      {"cidut_teethResults_constructCopy", [&] {
         cidut_teethResults r;
         const int32_t status = cidut_teethResults_constructCopy(&r, &found.r);
         if (status < 0) return status;
         EXPECT_EQ(toothCount(r), 10);
         EXPECT_EQ(r.measuredPitch, found.r.measuredPitch);
         return cidut_teethResults_destruct(&r);
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cidut_teethResults_assign keeps the old teeth", [&] {
         return onNewResults([&](cidut_teethResults* r) {
           const int32_t status = cidut_teethResults_assign(r, &found.r);
           EXPECT_EQ(toothCount(*r), status < 0 ? 0 : 10);
           return status;
         });
       }},
  };
  sweepFailures(rows);
}

}  // namespace
