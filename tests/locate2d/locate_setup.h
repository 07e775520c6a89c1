// DataMatrix finder state for tests: parameters, scratch, scan rows, mask, visit map and
// result over one image; seeds along a row.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "support/synthetic.h"

inline cstd_rect32 windowOf(const testImage& image) {
  cstd_rect32 window;
  cimg_imageConst_getWindow(image.constImage(), &window);
  return window;
}

// Finder and search state: parameters, scratch, scan lines, run, mask, visit map, result.
class locateSetup {
  testImage& image_;
  cstd_rect32 window_;
  std::vector<int64_t> scratch_;
  std::vector<int32_t> rows_;

 public:
  explicit locateSetup(testImage& image)
      : image_(image),
        window_(windowOf(image)),
        visits((window_.width + 3) / 4, (window_.height + 3) / 4, 0) {
    cid2d_trackingParams_init(&params);
    scratch_.resize(CID2D_SCRATCH_BYTES / sizeof(int64_t) + 1);
    params.scratch = scratch_.data();
    params.scratchBytes = CID2D_SCRATCH_BYTES;
    for (int32_t y = 0; y < window_.height; y += 6) rows_.push_back(y);
    params.scanPositions = rows_.data();
    params.numScanPositions = int32_t(rows_.size());
    cbt_runParams_init(&run);
    run.maxPoints = 16379;
    cid2d_trackingResult_construct(&result);
    cid_mask_construct(&mask, image.image());
    cmath_xformLinear_initIdentity(&maskXform);
  }
  ~locateSetup() {
    cid_mask_destruct(&mask);
    cid2d_trackingResult_destruct(&result);
  }

  const cimg_imageConst* image() const { return image_.constImage(); }
  int32_t find(const cid2d_trackingSeed& seed) {
    return cf_BndFindDMSymbolFromSeed(image(), &params, &seed, &run, visits.image(), &mask, 0, &maskXform, &result);
  }
  int32_t next(int32_t lowContrast = 0) {
    return cf_BndFindNextDMSymbol(image(), &params, &mask, 0, &maskXform, lowContrast,
                                  visits.image(), &result);
  }
  void clearVisits() {
    for (int32_t y = 0; y < (window_.height + 3) / 4; ++y)
      for (int32_t x = 0; x < (window_.width + 3) / 4; ++x) visits.at(x, y) = 0;
  }
  void claim(const cid_region& region) { ASSERT_EQ(cid_mask_appendRegion(&mask, &region, 2.0), 0); }
  std::vector<cmath_shapeAffineRect> findAll() {
    std::vector<cmath_shapeAffineRect> found;
    while (next() == 0 && result.found) {
      found.push_back(result.rect);
      cid_region region;
      EXPECT_EQ(cid_region_initAffineRect(&region, &result.rect, &result.fourthCorner), 0);
      claim(region);
      params.startScanIndex = result.foundScanIndex;
    }
    return found;
  }

  cid2d_trackingParams params;
  cbt_runParams run;
  cid2d_trackingResult result;
  cid_mask mask;
  cmath_xformLinear maskXform;
  testImage visits;
};

inline std::vector<cid2d_trackingSeed> rowSeeds(const cimg_imageConst* image, int32_t row) {
  std::vector<cid2d_trackingSeed> seeds(256);
  int32_t count = 0;
  EXPECT_EQ(
      cid2d_getHorizontalTrackingSeeds(image, &row, 1, 256, 45, 0, seeds.data(), &count, 0, 0), 0);
  EXPECT_GT(count, 0);
  seeds.resize(count);
  return seeds;
}
