// Every geometry call that allocates, through each of its allocation failures.
#include <gtest/gtest.h>

#include <vector>

#include "ci_id/priv/ci_idut/geometry.h"
#include "ci_id/priv/ci_idut/geometry/range.h"
#include "support/failure_sweep.h"
#include "support/held_image.h"

namespace {

cid_region affineRegion(double cx, double cy, double xLength, double yLength, double rotation) {
  const cmath_shapeAffineRectCenter rect{{cx, cy}, xLength, yLength, rotation, rotation};
  cid_region region;
  EXPECT_EQ(cid_region_initAffineRectCenter(&region, &rect, nullptr), 0);
  return region;
}

TEST(GeometryFailureSweep, EveryAllocatingCall) {
  const heldImage source(40, 30, 0);
  const cid_region a = affineRegion(10, 10, 8, 6, 0.2), b = affineRegion(20, 14, 9, 5, 1);
  cxVector<uint32_t> bins;
  for (uint32_t count : {1, 2, 3}) ASSERT_EQ(bins.pushBack(count), 0);

  const std::vector<sweepRow> rows = {
      {"cid_mask_construct", [&] {
         cid_mask m;
         const int32_t status = cid_mask_construct(&m, &source.image);
         return status < 0 ? status : cid_mask_destruct(&m);
       }, CSYS_STATUS_NO_MEMORY, false, 2},
      {"cid_mask_appendRegion, updateRegion, removeRegion", [&] {
         cid_mask m;
         int32_t status = cid_mask_construct(&m, &source.image);
         if (status < 0) return status;
         for (const cid_region* r : {&a, &b, &a})
           if (status >= 0) status = cid_mask_appendRegion(&m, r, 1);
         if (status >= 0) status = cid_mask_updateRegion(&m, 1, &a, 1);
         if (status >= 0) status = cid_mask_removeRegion(&m, 0, 1);
         const int32_t destructed = cid_mask_destruct(&m);
         return status < 0 ? status : destructed;
       }, CSYS_STATUS_NO_MEMORY, false, 5},
      {"cxHistoStats::init keeps the old bins", [&] {
         cxHistoStats stats;
         cxVector<uint32_t> old;
         int32_t status = old.resize(2, 0);
         if (status < 0) return status;
         old[1] = 1;
         EXPECT_EQ(stats.init(old, true), 0);
         status = stats.init(bins, false);
         EXPECT_EQ(stats.nSamp(), status < 0 ? 1u : 6u);
         return status;
       }, CIDUT_ERR_NO_MEMORY, false, 2},
  };
  sweepFailures(rows);
}

}  // namespace
