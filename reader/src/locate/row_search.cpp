// The reader's walk over the scan rows.
#include "row_search.h"

#include <cstdlib>

#include "kit/system.h"

ccRowSearch::ccRowSearch(const cimg_imageConst* image, const cid2d_trackingParams& params,
                         int32_t minStrength, bool adaptive)
    : image_(image), params_(params), minStrength_(minStrength), adaptive_(adaptive) {
  // The library's searches track with these words: sub-pixel crossings, open contours
  // followed both ways, no least length; the adaptive finder adds the seed's strength.
  cbt_runParams_init(&run_);
  run_.interpolate = 1;
  run_.followOpen = 1;
  run_.minPoints = 0;
  run_.maxPoints = params.maxBoundaryPoints;
  run_.adaptive = adaptive ? 1 : 0;
  cmath_xformLinear_initIdentity(&identity_);
}

// The adaptive finder marks a block with 1 + the column mod 4 of the contour that crossed
// it, so a seed at a block's edge is also taken when the contour passed just beyond it,
// in the next block.
bool ccRowSearch::isTracked(ccSearchState* state, const cid2d_trackingSeed& seed) const {
  if (state->visitMark(seed.x, seed.y) != 0) return true;
  if (!adaptive_) return false;
  if (seed.x % 4 == 0 && seed.x > 0 && state->visitMark(seed.x - 4, seed.y) > 2) return true;
  if (seed.x % 4 == 3 && seed.x < window_.width - 6) {
    const uint8_t right = state->visitMark(seed.x + 4, seed.y);
    return right == 1 || right == 2;
  }
  return false;
}

int32_t ccRowSearch::next(ccSearchState* state) {
  if (seeds_.empty()) {
    if (const int32_t status = cimg_windowConst_init(&window_, image_); status < 0)
      return status;
    seeds_.resize(size_t(window_.width / 2 + 2));  // a seed every other column at most
  }
  cid2d_trackingResult& result = state->result();
  for (;;) {
    while (nextSeed_ < numSeeds_) {
      cid2d_trackingSeed& seed = seeds_[size_t(nextSeed_++)];
      if (isTracked(state, seed) || !idread_isCoherentEdge(window_, seed)) continue;
      seed.scanIndex = row_;
      const int32_t status =
          adaptive_ ? cf_BndFindDMSymbolFromSeed_Adaptive(image_, &params_, &seed, &run_,
                                                          state->visits(), state->mask(),
                                                          &identity_, 0, &result)
                    : cf_BndFindDMSymbolFromSeed(image_, &params_, &seed, &run_, state->visits(),
                                                 state->mask(), 0, &identity_, &result);
      if (status < 0) return status;
      if (result.found) {
        result.foundScanIndex = row_;
        return 1;
      }
    }
    if (++row_ >= params_.numScanPositions) return 0;
    if (const int32_t status = csys_attention_check(); status < 0) return status;
    nextSeed_ = 0;
    if (const int32_t status = cid2d_getHorizontalTrackingSeeds(
            image_, &params_.scanPositions[row_], 1, int32_t(seeds_.size()), minStrength_, 0,
            seeds_.data(), &numSeeds_, 0, 0.0);
        status < 0)
      return status;
  }
}

namespace {

// The second differences down the columns of the six pixels from `at - 1` on, between
// the rows `step` above and below, summed in absolute value.
int32_t columnBend(const uint8_t* at, ptrdiff_t step) {
  int32_t bend = 0;
  for (int32_t dx = -1; dx <= 4; ++dx) bend += std::abs(at[dx - step] + at[dx + step] - 2 * at[dx]);
  return bend;
}

}  // namespace

bool idread_isCoherentEdge(const cimg_windowConst& window, const cid2d_trackingSeed& seed) {
  if (seed.y < 2 || seed.y + 2 >= window.height) return false;
  const uint8_t* at = cimg_windowConst_row<uint8_t>(&window, seed.y) + seed.x;
  return columnBend(at, window.stride) <= seed.strength &&
         columnBend(at, 2 * ptrdiff_t{window.stride}) <= seed.strength;
}
