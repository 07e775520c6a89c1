// Every locator call that allocates or polls, through each of its failures.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "locate2d/locate_setup.h"
#include "locate2d/ring_setup.h"
#include "support/datamatrix.h"
#include "support/failure_sweep.h"
#include "support/symbols.h"

namespace {

// call with a clear visit map and a tracker result of its own (the contour belongs to the
// result, so a failure must not leave one behind).
int32_t withNewBoundary(cbt_result* boundary, const std::function<void()>& clearVisits,
                        const std::function<int32_t()>& call) {
  clearVisits();
  cbt_result_construct(boundary, 0);
  const int32_t status = call();
  cbt_result_destruct(boundary);
  return status;
}

TEST(Locate2dFailureSweep, EveryAllocatingOrPollingCall) {
  greyScene scene(200, 200, 200);
  paintDataMatrix(scene, 12, 12, 6.0, 0.0, cmath_vect{100, 100}, 40, 9);
  scene.gaussianBlur(0.6);
  testImage symbol(scene);
  const cid2d_trackingSeed seed = rowSeeds(symbol.constImage(), 100)[0];  // the L's left edge
  locateSetup dm(symbol);
  cbt_result_destruct(&dm.result.boundary);
  const auto dmCall = [&](const std::function<int32_t()>& call) {
    return withNewBoundary(&dm.result.boundary, [&] { dm.clearVisits(); }, call);
  };

  moduleGrid leftSides = ringFinderModules(1, 3);
  for (int32_t r = 0; r < 7; ++r) leftSides.dark[size_t(r) * 7 + 6] = 0;  // the right side erased
  cmath_vect corners[4];
  turnedRectangle({80.3, 79.6}, 56, 56, 0, corners);
  const auto threeSidesImage = ringImage(leftSides, 160, corners, 3);
  ringSetup threeSides(*threeSidesImage, 160);
  turnedRectangle({60.3, 59.8}, 42, 42, 0.2, corners);
  const auto ringOnRowImage = ringImage(ringFinderModules(1, 3), 120, corners, 9);
  ringSetup ring(*ringOnRowImage, 120);
  for (ringSetup* s : {&threeSides, &ring}) cbt_result_destruct(&s->result.tracking.boundary);
  std::vector<double> line;  // along row 60, across the ring
  std::vector<uint8_t> profile;
  for (int32_t x = 5; x < 115; ++x) {
    line.insert(line.end(), {double(x), 60.0});
    profile.push_back(ringOnRowImage->at(x, 60));
  }
  const std::vector<int16_t> edges = crossings(profile);
  const auto ringCall = [](ringSetup& s, const std::function<int32_t()>& call) {
    return withNewBoundary(&s.result.tracking.boundary, [&] { s.clearVisits(); }, call);
  };

  greyScene bars(320, 320, 215);  // three dark bars 6 pixels wide
  for (double left : {130, 150, 190})
    bars.paint([&](double x, double y) { return x >= left && x < left + 6 && y >= 60 && y < 260; },
               45);
  testImage barImage(bars);
  const cmath_xformLinear shifted{{1, 0, 0, 1}, {1000, 0}};
  cimg_image_setLinearClientFromImageXform(barImage.image(), &shifted);
  cid_region region;
  const cmath_vect regionCorners[4] = {{1125, 60}, {1195, 60}, {1125, 260}, {1195, 260}};
  ASSERT_EQ(cid_region_initVectPoints(&region, regionCorners, 0), 0);
  cmath_shapeAffineRect rect;
  cid_region aligned;
  int32_t found = -1, isLike = -1;

  const std::vector<sweepRow> rows = {
      {"cf_BndFindDMSymbolFromSeed", [&] { return dmCall([&] { return dm.find(seed); }); },
       CSYS_STATUS_NO_MEMORY, false, anyCount, anyCount},
      {"cf_BndFindDMSymbolFromSeed_Adaptive", [&] {
         return dmCall([&] {
           return cf_BndFindDMSymbolFromSeed_Adaptive(dm.image(), &dm.params, &seed, &dm.run,
                                                      dm.visits.image(), &dm.mask, &dm.maskXform,
                                                      0, &dm.result);
         });
       }, CSYS_STATUS_NO_MEMORY, false, anyCount, anyCount},
      {"cf_DcdFindDMSymbolFromSeed", [&] {
         return dmCall([&] {
           return cf_DcdFindDMSymbolFromSeed(dm.image(), &dm.params, &seed, &dm.run,
                                             dm.visits.image(), &dm.mask, 0, &dm.maskXform,
                                             &dm.result);
         });
       }, CSYS_STATUS_NO_MEMORY, false, anyCount, anyCount},
      {"cf_BndFindNextDMSymbol", [&] { return dmCall([&] { return dm.next(); }); },
       CSYS_STATUS_NO_MEMORY, false, anyCount, anyCount},
      {"cidut_BoundaryTrackerSearchDMSymbolAdaptiveThreshold", [&] {
         return dmCall([&] {
           return cidut_BoundaryTrackerSearchDMSymbolAdaptiveThreshold(
               dm.image(), &dm.params, &dm.mask, &dm.maskXform, 0, dm.visits.image(), &dm.result);
         });
       }, CSYS_STATUS_NO_MEMORY, false, anyCount, anyCount},
      // The tracker's points and the hull; polls after tracking, halving and the hull.
      {"cf_BndFindPDPSymbolFromSeed, three sides", [&] {
         return ringCall(threeSides, [&] { return threeSides.fromLeftEdge(80, 1); });
       }, CSYS_STATUS_NO_MEMORY, false, 2, 3},
      // The tracker's points; polls before and after tracking, after halving.
      {"cf_BndFindNextPDP", [&] { return ringCall(ring, [&] { return ring.onRow(60); }); },
       CSYS_STATUS_NO_MEMORY, false, 1, 3},
      {"cf_BndFindMatchingPDP", [&] {
         return ringCall(ring, [&] {
           return cf_BndFindMatchingPDP(ringOnRowImage->constImage(), &ring.params, &ring.mask, 0,
                                        &ring.maskXform, ring.visits.image(), 0, edges.data(),
                                        int32_t(edges.size()), int32_t(profile.size()), 0,
                                        line.data(), profile.data(), &ring.result);
         });
       }, CSYS_STATUS_NO_MEMORY, false, anyCount, anyCount},
      {"cid2d_findOneBarcode leaves its outputs", [&] {
         found = -1;
         rect.po = cmath_vect{};
         return cid2d_findOneBarcode(barImage.constImage(), &rect, &found);
       }, CSYS_STATUS_NO_MEMORY, false, 2, 0, [&] { EXPECT_TRUE(found == -1 && rect.po.x == 0); }},
      {"cid2d_getIsCandidateBarcodeLike leaves its outputs", [&] {
         isLike = -1;
         aligned.Po = cmath_vect{};
         return cid2d_getIsCandidateBarcodeLike(barImage.constImage(), &region, &isLike, &aligned);
       }, CSYS_STATUS_NO_MEMORY, false, 2, 0, [&] {
         EXPECT_EQ(isLike, 0);
         EXPECT_EQ(aligned.Po.x, region.Po.x);
       }},
  };
  sweepFailures(rows);
  EXPECT_EQ(found + isLike, 2);
  cbt_result_construct(&dm.result.boundary, 0);
  for (ringSetup* s : {&threeSides, &ring}) cbt_result_construct(&s->result.tracking.boundary, 0);
}

}  // namespace
