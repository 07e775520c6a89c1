// Every edge call that allocates or polls, through each of its failures.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "ci_id/priv/ci_idut/edge.h"
#include "kit/pel.h"
#include "support/failure_sweep.h"
#include "support/held_image.h"
#include "support/synthetic.h"

namespace {

// A blurred, noisy disc: edges in every direction.
greyScene discScene(int32_t width, int32_t height) {
  greyScene scene(width, height, 40);
  scene.paint([&](double x, double y) { return std::hypot(x - width / 2, y - height / 2) < 8; },
              210);
  scene.gaussianBlur(0.8);
  scene.addNoise(6, 21);
  return scene;
}

std::set<std::pair<int32_t, int32_t>> positions(const csEdgeList* list) {
  std::set<std::pair<int32_t, int32_t>> at;
  for (const csEdge* e = csEdgeListFirst(list); e; e = csEdgeListNext(list, e))
    at.emplace(csEdgePi(e), csEdgePj(e));
  return at;
}

// Calls operation into a new destination, which must stay unbound when it fails.
int32_t intoNew(const std::function<int32_t(cimg_image*)>& operation) {
  heldImage out;
  const int32_t status = operation(&out.image);
  EXPECT_EQ(out.bound(), status >= 0);
  return status;
}

int32_t inhibitAll(const char*) { return 1; }

// call with every routine on its portable path, or with none inhibited.
int32_t onPath(bool portable, const std::function<int32_t()>& call) {
  const cprt_inhibitionHook before = cprt_isOptimizationInhibitedFP;
  cprt_isOptimizationInhibitedFP = portable ? inhibitAll : nullptr;
  const int32_t status = call();
  cprt_isOptimizationInhibitedFP = before;
  return status;
}

TEST(EdgeFailureSweep, EveryAllocatingOrPollingCall) {
  ASSERT_EQ(cfEdgeDetectID_install(), 0);  // process-wide tables, kept for good
  testImage disc(discScene(30, 24));
  const cip_edgeParams thinPeaks{1.0, 20.0, 1.0}, defaults{1.0, 10.0, 0.0};
  heldImage magnitudes({3, 5, 24, 20}, 0);
  std::mt19937 random(4);
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 24; ++x) {
      const uint32_t r = random() % 100;  // 5 % strong, 50 % weak
      magnitudes.at(x, y) = uint8_t(r < 5 ? 140 + random() % 116 : r < 55 ? 60 + random() % 80 : random() % 60);
    }
  heldImage bound({0, 0, 30, 30}, 44);
  const std::vector<uint8_t> boundPixels = bound.pixels();
  const auto resetBound = [&] {
    const cimg_window all = bound.window();
    cip_pelSet8(&all, 44);
  };
  int32_t count = -3;
  heldImage peak, xs, ys, old(5, 5, 99);
  const auto keepOld = [&] {
    for (heldImage* h : {&peak, &xs, &ys}) cimg_image_assign(&h->image, &old.image);
  };
  keepOld();
  // The status of a call that replaces the outputs on success; they go back to old.
  const auto keepingOld = [&](int32_t status) {
    if (status >= 0) keepOld();
    return status;
  };
  csEdgeList* whole = nullptr;
  ASSERT_EQ(csEdgeListNew(0, &whole), 0);
  ASSERT_EQ(cip_edge_detectEdges(disc.constImage(), &thinPeaks, whole), 0);

  const std::vector<sweepRow> rows = {
      {"cf_EdgeDetectIDTableInit", [] {
         cstd_vector8 table;
         int32_t status = cstd_vector8_construct(&table, 0);
         if (status < 0) return status;
         status = cf_EdgeDetectIDTableInit(&table, 7, 0);
         int32_t size = -1;
         cstd_vector8_getSize(&table, &size);
         EXPECT_EQ(size, status < 0 ? 0 : int32_t{CF_EDGE_ID_THRESHOLD_TABLE_SIZE});
         cstd_vector8_destruct(&table);
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cfEdgeDetectIDMagAng, a poll per row", [&] {
         heldImage m, a;
         const int32_t status = cfEdgeDetectIDMagAng(disc.constImage(), &m.image, &a.image, 1, 60,
                                                     CF_EDGE_ID_MODE_2X2);
         EXPECT_EQ(m.bound() + a.bound(), status >= 0 ? 2 : 0);
         return status;
       }, CSYS_STATUS_NO_MEMORY, false, anyCount, 23},
      {"cip_edge_detectMagAng", [&] {
         heldImage m, a;
         const int32_t status = cip_edge_detectMagAng(disc.constImage(), &defaults, &m.image, &a.image);
         EXPECT_EQ(m.bound() && a.bound(), status >= 0);
         return status;
       }},
      {"cip_edge_detectEdges falls back to bands", [&] {
         csEdgeList* list = nullptr;
         int32_t status = csEdgeListNew(0, &list);
         if (status >= 0) status = cip_edge_detectEdges(disc.constImage(), &thinPeaks, list);
         EXPECT_TRUE(status < 0 || positions(list) == positions(whole));
         csEdgeListDelete(&list);
         return status;
       }, CIDUT_ERR_NO_MEMORY, true},
      {"cip_edge_detectEdgesChains", [&] {
         csEdgeList* list = nullptr;
         csEdgeChains chains;
         csEdgeChains_construct(&chains);
         int32_t status = csEdgeListNew(30 * 24, &list);
         if (status >= 0) status = csEdgeListInit(list, 1, 0);
         if (status >= 0) status = cip_edge_detectEdgesChains(disc.constImage(), &thinPeaks, list, &chains);
         csEdgeChains_destruct(&chains);
         csEdgeListDelete(&list);
         return status;
       }},
      {"cip_edge_hysteresisThreshold into a bound image", [&] {
         resetBound();
         count = -3;
         return cip_edge_hysteresisThreshold(magnitudes.constImage(), &bound.image, 60, 140,
                                             &count, -1, 0, 255, 1);
       }, CSYS_STATUS_NO_MEMORY, false, 5, anyCount, [&] {
         EXPECT_EQ(count, -3);
         EXPECT_EQ(bound.pixels(), boundPixels);
       }},
      {"cip_edge_hysteresisThreshold, a one-entry stack grows", [&] {
         return intoNew([&](cimg_image* out) {
           return cip_edge_hysteresisThreshold(magnitudes.constImage(), out, 60, 140, nullptr, 1,
                                               0, 255, 1);
         });
       }, CSYS_STATUS_NO_MEMORY, false, anyCount, anyCount},
      {"cip_edge_hysteresisThreshold without growing", [&] {
         return intoNew([&](cimg_image* out) {
           return cip_edge_hysteresisThreshold(magnitudes.constImage(), out, 60, 140, nullptr, -1,
                                               0, 255, 0);
         });
       }, CSYS_STATUS_NO_MEMORY, false, 4, anyCount},
      {"cip_truepeak8, portable, into a bound image", [&] {
         return onPath(true, [&] {
           resetBound();
           count = 4;
           return cip_truepeak8(disc.constImage(), &bound.image, 10, &count);
         });
       }, CSYS_STATUS_NO_MEMORY, false, 1, 0, [&] {
         EXPECT_EQ(count, 4);
         EXPECT_EQ(bound.pixels(), boundPixels);
       }},
      {"cip_truepeak8, from edgelets, falls back to bands", [&] {
         return onPath(false, [&] {
           int32_t n = 0;
           return intoNew([&](cimg_image* out) { return cip_truepeak8(disc.constImage(), out, 10, &n); });
         });
       }, CSYS_STATUS_NO_MEMORY, true},
      {"cf_GetTrueEdgePeakFromEdgelets", [&] {
         return keepingOld(cf_GetTrueEdgePeakFromEdgelets(disc.constImage(), &peak.image, 20));
       }, CIDUT_ERR_NO_MEMORY, true, anyCount, anyCount, [&] { EXPECT_EQ(peak.pixels(), old.pixels()); }},
      {"cf_GetTrueEdgePeakFromEdgelets_noPadding", [&] {
         return keepingOld(cf_GetTrueEdgePeakFromEdgelets_noPadding(disc.constImage(), &peak.image, 20));
       }, CIDUT_ERR_NO_MEMORY, true, anyCount, anyCount, [&] { EXPECT_EQ(peak.pixels(), old.pixels()); }},
      {"cf_GetTrueEdgePeakXYFromEdgelets", [&] {
         return keepingOld(cf_GetTrueEdgePeakXYFromEdgelets(disc.constImage(), &peak.image,
                                                            &xs.image, &ys.image, 20));
       }, CIDUT_ERR_NO_MEMORY, true, anyCount, anyCount, [&] {
         for (const heldImage* h : {&peak, &xs, &ys}) EXPECT_EQ(h->pixels(), old.pixels());
       }},
  };
  sweepFailures(rows);
  csEdgeListDelete(&whole);
}

}  // namespace
