// Ring (PDP) finder state for tests over one rendered image: parameters, scratch, mask,
// visit map and result, with calls along a row and from a row's first edge.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "support/symbols.h"
#include "support/synthetic.h"

// Signed edges where a profile crosses 120, positive dark to light.
inline std::vector<int16_t> crossings(const std::vector<uint8_t>& profile) {
  std::vector<int16_t> edges;
  for (size_t x = 0; x + 1 < profile.size(); ++x)
    if ((profile[x] <= 120) != (profile[x + 1] <= 120))
      edges.push_back(int16_t(profile[x] < profile[x + 1] ? x : -int32_t(x)));
  return edges;
}

class ringSetup {
  testImage& image_;
  int32_t size_;
  std::vector<int64_t> scratch_;
  int32_t row_ = 0;

  std::vector<int16_t> rowEdges(int32_t y) {
    std::vector<uint8_t> row(size_);
    for (int32_t x = 0; x < size_; ++x) row[x] = image_.at(x, y);
    return crossings(row);
  }

 public:
  ringSetup(testImage& image, int32_t size)
      : image_(image), size_(size), visits((size + 3) / 4, (size + 3) / 4, 0) {
    cid2d_trackingParams_init(&params);
    scratch_.resize(CID2D_SCRATCH_BYTES / sizeof(int64_t) + 1);
    params.scratch = scratch_.data();
    params.scratchBytes = CID2D_SCRATCH_BYTES;
    cid2d_trackingResult_construct(&result.tracking);
    result.trackCount = 0;
    cid_mask_construct(&mask, image.image());
    cmath_xformLinear_initIdentity(&maskXform);
  }
  ~ringSetup() {
    cid_mask_destruct(&mask);
    cid2d_trackingResult_destruct(&result.tracking);
  }
  void clearVisits() {
    for (int32_t y = 0; y < (size_ + 3) / 4; ++y)
      for (int32_t x = 0; x < (size_ + 3) / 4; ++x) visits.at(x, y) = 0;
  }
  int32_t onRow(int32_t y, int32_t tryThreeSides = 0) {
    row_ = y;
    params.scanPositions = &row_;
    params.numScanPositions = 1;
    const auto at = rowEdges(y), above = rowEdges(y - 3), below = rowEdges(y + 3);
    return cf_BndFindNextPDP(image_.constImage(), &params, &mask, 0, &maskXform, visits.image(),
                             tryThreeSides, at.data(), above.data(), below.data(),
                             int32_t(at.size()), int32_t(above.size()), int32_t(below.size()),
                             &result);
  }
  int32_t fromLeftEdge(int32_t y, int32_t tryThreeSides) {
    cid2d_trackingSeed seeds[64];
    int32_t count = 0;
    cid2d_getHorizontalTrackingSeeds(image_.constImage(), &y, 1, 64, 45, 0, seeds, &count, 0, 0);
    cbt_runParams run;
    cbt_runParams_init(&run);
    clearVisits();
    return cf_BndFindPDPSymbolFromSeed(image_.constImage(), &params, &seeds[0], &run,
                                       visits.image(), tryThreeSides, &mask, 0, &maskXform,
                                       &result);
  }

  cid2d_trackingParams params;
  cid2d_pdpResult result;
  cid_mask mask;
  cmath_xformLinear maskXform;
  testImage visits;
};

// The module grid drawn with its outline at corners, blurred, with noise.
inline std::unique_ptr<testImage> ringImage(const moduleGrid& grid, int32_t size,
                                            const cmath_vect corners[4], uint32_t noiseSeed) {
  greyScene scene(size, size, 200);
  paintModules(scene, grid, corners, 40);
  scene.gaussianBlur(0.7);
  scene.addNoise(2.0, noiseSeed);
  return std::make_unique<testImage>(scene);
}
