// The reader's walk over the scan rows.
#include "row_search.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
      if (isTracked(state, seed) || !idread_isCoherentEdge(window_, seed) ||
          !idread_hasRowCompany(seeds_.data(), numSeeds_, nextSeed_ - 1) ||
          state->insideClaimed(seed.x, seed.y))
        continue;
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

#ifdef __SSE2__
// The six pixels from p on, one per 16-bit lane; the last two lanes 0.
__m128i sixPixels(const uint8_t* p) {
  uint64_t bytes = 0;
  std::memcpy(&bytes, p, 6);
  return _mm_unpacklo_epi8(_mm_cvtsi64_si128(int64_t(bytes)), _mm_setzero_si128());
}
#endif

// The second differences down the columns of the six pixels from `at - 1` on, between
// the rows `step` above and below, summed in absolute value.
int32_t columnBend(const uint8_t* at, ptrdiff_t step) {
#ifdef __SSE2__
  const __m128i middle = sixPixels(at - 1);
  const __m128i bend = _mm_sub_epi16(_mm_add_epi16(sixPixels(at - 1 - step), sixPixels(at - 1 + step)),
                                     _mm_add_epi16(middle, middle));
  const __m128i magnitude = _mm_max_epi16(bend, _mm_sub_epi16(_mm_setzero_si128(), bend));
  __m128i sum = _mm_madd_epi16(magnitude, _mm_set1_epi16(1));
  sum = _mm_add_epi32(sum, _mm_srli_si128(sum, 8));
  sum = _mm_add_epi32(sum, _mm_srli_si128(sum, 4));
  return _mm_cvtsi128_si32(sum);
#else
  int32_t bend = 0;
  for (int32_t dx = -1; dx <= 4; ++dx) bend += std::abs(at[dx - step] + at[dx + step] - 2 * at[dx]);
  return bend;
#endif
}

}  // namespace

bool idread_isCoherentEdge(const cimg_windowConst& window, const cid2d_trackingSeed& seed) {
  if (seed.y < 2 || seed.y + 2 >= window.height) return false;
  const uint8_t* at = cimg_windowConst_row<uint8_t>(&window, seed.y) + seed.x;
  return columnBend(at, window.stride) <= seed.strength &&
         columnBend(at, 2 * ptrdiff_t{window.stride}) <= seed.strength;
}

bool idread_hasRowCompany(const cid2d_trackingSeed* edges, int32_t count, int32_t i) {
  constexpr int32_t leastReach = 24, reachPerNearest = 3, absent = INT32_MAX;
  if (count < 3) return false;  // two others are needed
  // The distances to the nearest two edges on each side; two of the four within reach. One
  // side at least has an edge, so the nearest is a distance along the row.
  const int32_t x = edges[i].x;
  const int32_t left1 = i >= 1 ? x - edges[i - 1].x : absent;
  const int32_t left2 = i >= 2 ? x - edges[i - 2].x : absent;
  const int32_t right1 = i + 1 < count ? edges[i + 1].x - x : absent;
  const int32_t right2 = i + 2 < count ? edges[i + 2].x - x : absent;
  const int32_t reach = std::max(leastReach, reachPerNearest * std::min(left1, right1));
  return left2 <= reach || right2 <= reach || (left1 <= reach && right1 <= reach);
}
