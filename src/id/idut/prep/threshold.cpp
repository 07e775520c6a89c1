// Histogram thresholds of 8-bit images: the two-class threshold that maximises the
// between-class variance (with that variance's share of the total as a separability
// measure), and the level at which the cumulative histogram reaches a given fraction.
#include <stdint.h>

#include "ci_id/priv/ci_idut/edge.h"
#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"

namespace {

constexpr int32_t levels = 256;

// histogram = the 256-bin histogram of the image's window.
int32_t windowHistogram(const cimg_imageConst* image, uint32_t* histogram) {
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, image); status < 0) return status;
  CIDUT_CHECK(window.pixelType == CIMG_TYPE_8);
  for (int32_t v = 0; v < levels; ++v) histogram[v] = 0;
  if (window.width == 0 || window.height == 0) return 0;
  return cfPelHistogramSmall(static_cast<const uint8_t*>(window.pixels), window.width,
                             window.height, window.stride, histogram);
}

}  // namespace

extern "C" int32_t cid_thresholdResult_init(cid_thresholdResult* result) {
  CIDUT_CHECK(result != nullptr);
  result->valid = 0;
  result->quality = 0.0;
  result->threshold = 0;
  return 0;
}

extern "C" int32_t cid_thresholdHist(const uint32_t* histogram, int32_t bins,
                                     cid_thresholdResult* result) {
  CIDUT_CHECK(histogram != nullptr && result != nullptr && bins >= 1);
  cid_thresholdResult_init(result);
  int32_t lo = 0, hi = bins;
  while (lo < bins && histogram[lo] == 0) ++lo;
  CIDUT_CHECK(lo < bins);
  while (histogram[hi - 1] == 0) --hi;
  result->valid = 1;
  if (hi - lo == 1) {
    result->threshold = lo;
    return 0;
  }

  // Moments about lo, gathered from the top bin down: c counts the bins above the current
  // one, s1 sums c (giving the first moment) and s2 sums s1 (giving sum k (k + 1) / 2).
  uint64_t c = 0, s1 = 0, s2 = 0;
  for (int32_t i = hi - 1; i > lo; --i) {
    c += histogram[i];
    s1 += c;
    s2 += s1;
  }
  const double total = double(histogram[lo] + c);
  const double first = double(s1);
  const double second = 2.0 * double(s2) - double(s1);
  const double spread = second * total - first * first;  // total^2 x variance
  CIDUT_CHECK(spread > 0.0);

  // Lower class: the bins lo .. t; B = total^2 x the between-class variance.
  double w = 0.0, m = 0.0, best = -1.0;
  int32_t bestSplit = 0;
  for (int32_t t = lo; t <= hi - 2; ++t) {
    if (histogram[t] == 0) continue;
    const int32_t k = t - lo;
    w += histogram[t];
    m += double(histogram[t]) * k;
    const double separation = (first - m) * w - m * (total - w);
    const double between = separation * separation / (w * (total - w));
    if (between > best) {
      best = between;
      bestSplit = k + 1;
    }
  }
  result->threshold = lo + bestSplit;
  result->quality = best / spread;
  return 0;
}

extern "C" int32_t cid_threshold(const cimg_imageConst* image, cid_thresholdResult* result) {
  CIDUT_CHECK(image != nullptr && result != nullptr);
  uint32_t histogram[levels];
  if (const int32_t status = windowHistogram(image, histogram); status < 0) return status;
  return cid_thresholdHist(histogram, levels, result);
}

extern "C" int32_t cid_thresholdBasedOnPercentage(const cimg_imageConst* image, float fraction,
                                                  cid_thresholdResult* result) {
  CIDUT_CHECK(image != nullptr && result != nullptr);
  uint32_t histogram[levels];
  if (const int32_t status = windowHistogram(image, histogram); status < 0) return status;
  uint64_t total = 0;
  for (int32_t v = 0; v < levels; ++v) total += histogram[v];
  const float limit = float(total) * fraction;

  // The count is compared exactly with the single-precision limit.
  int32_t threshold = 0;
  for (uint64_t cumulative = 0; threshold < levels; ++threshold) {
    cumulative += histogram[threshold];
    if (double(cumulative) >= double(limit)) break;
  }
  result->valid = 1;
  result->quality = 1.0;
  result->threshold = threshold;
  return 0;
}
