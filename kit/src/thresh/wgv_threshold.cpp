// The within-group-variance (Otsu) threshold of a histogram or of an 8-bit window. Every
// threshold's between-class variance is compared with the best so far as exact integer
// arithmetic would, so that equally good thresholds are found equal and the tie rule
// decides: in floating point with a bound on its error, and in wide integers when the
// floating-point values are too close to tell.
#include <math.h>

#include <algorithm>
#include <limits>

#include "kit/pel.h"
#include "kit/system.h"
#include "kit/thresh.h"

#define CIP_CHECK(condition) ((condition) ? (void)0 : cstd_assert_(__LINE__))

namespace {

using u128 = unsigned __int128;

// An unsigned integer of up to 512 bits, in 64-bit limbs, least significant first. The
// numbers below are built from class counts (below 2^63: at most 2^31 bins of 32-bit
// counts) and level sums (below 2^94); no product exceeds 2^440.
struct wideNumber {
  static constexpr int32_t limbs = 8;
  uint64_t limb[limbs] = {};
  int32_t used = 0;  // limbs up to the highest non-zero one

  static wideNumber of(u128 value) {
    wideNumber w;
    w.limb[0] = uint64_t(value);
    w.limb[1] = uint64_t(value >> 64);
    w.trim(2);
    return w;
  }
  void trim(int32_t upTo) {
    used = upTo;
    while (used > 0 && limb[used - 1] == 0) --used;
  }
  long double approximate() const {
    long double value = 0;
    for (int32_t i = used - 1; i >= 0; --i) value = value * 0x1p64L + limb[i];
    return value;
  }
};

wideNumber product(const wideNumber& x, const wideNumber& y) {
  wideNumber p;
  for (int32_t i = 0; i < x.used; ++i) {
    u128 carry = 0;
    for (int32_t j = 0; j < y.used; ++j) {
      const u128 t = u128(x.limb[i]) * y.limb[j] + p.limb[i + j] + carry;
      p.limb[i + j] = uint64_t(t);
      carry = t >> 64;
    }
    if (i + y.used < wideNumber::limbs) p.limb[i + y.used] = uint64_t(carry);
  }
  p.trim(std::min(x.used + y.used, wideNumber::limbs));
  return p;
}

// x - y for x >= y.
wideNumber difference(const wideNumber& x, const wideNumber& y) {
  wideNumber d;
  uint64_t borrow = 0;
  for (int32_t i = 0; i < x.used; ++i) {
    const uint64_t subtrahend = y.limb[i] + borrow;
    borrow = (subtrahend < borrow) | (x.limb[i] < subtrahend);
    d.limb[i] = x.limb[i] - subtrahend;
  }
  d.trim(x.used);
  return d;
}

int32_t compare(const wideNumber& x, const wideNumber& y) {
  if (x.used != y.used) return x.used < y.used ? -1 : 1;
  for (int32_t i = x.used - 1; i >= 0; --i) {
    if (x.limb[i] != y.limb[i]) return x.limb[i] < y.limb[i] ? -1 : 1;
  }
  return 0;
}

// Count, sum and sum of squares of the levels taking part, each level counted from low.
struct moments {
  uint64_t count = 0;
  u128 sum = 0;
  u128 squares = 0;
};

// The between-class variance of a split, times count^2, as the fraction D^2 / (n0 n1) with
// D = n0 sum - count s0 = n0 n1 (light mean - dark mean), never negative, for a dark class
// of n0 pixels whose levels sum to s0 and a light class of n1 pixels.
struct splitScore {
  wideNumber numerator;
  wideNumber denominator;
};

splitScore scoreOf(const moments& all, uint64_t darkCount, u128 darkSum) {
  const wideNumber d = difference(product(wideNumber::of(darkCount), wideNumber::of(all.sum)),
                                  product(wideNumber::of(all.count), wideNumber::of(darkSum)));
  return {product(d, d), wideNumber::of(u128(darkCount) * (all.count - darkCount))};
}

int32_t compare(const splitScore& a, const splitScore& b) {
  return compare(product(a.numerator, b.denominator), product(b.numerator, a.denominator));
}

// A split's score bracketed in floating point: low <= D^2 / (n0 n1) <= high. Each of
// n0 sum and count s0 is within 3 roundings of its value and D within about 4 roundings of
// their sum; the slack takes 16, and the factors on the bounds cover the last few
// roundings of the square and the quotient.
struct scoreRange {
  double low;
  double high;
};

scoreRange rangeOf(const moments& all, uint64_t darkCount, u128 darkSum) {
  constexpr double epsilon = std::numeric_limits<double>::epsilon();  // two roundings
  const double a = double(darkCount) * double(all.sum), b = double(all.count) * double(darkSum);
  const double d = fabs(a - b), slack = 8 * epsilon * (a + b);
  const double denominator = double(darkCount) * double(all.count - darkCount);
  const double low = std::max(0.0, d - slack), high = d + slack;
  return {low * low / denominator * (1 - 32 * epsilon),
          high * high / denominator * (1 + 32 * epsilon)};
}

// A split at a threshold: its dark class and its bracketed score.
struct split {
  uint64_t darkCount;
  u128 darkSum;
  scoreRange range;
};

split splitOf(const moments& all, uint64_t darkCount, u128 darkSum) {
  return {darkCount, darkSum, rangeOf(all, darkCount, darkSum)};
}

// The order of two splits' scores; exact only when their ranges overlap.
int32_t compare(const moments& all, const split& a, const split& b) {
  if (a.range.low > b.range.high) return 1;
  if (a.range.high < b.range.low) return -1;
  return compare(scoreOf(all, a.darkCount, a.darkSum), scoreOf(all, b.darkCount, b.darkSum));
}

void checkParams(const cip_threshParams* params, const cip_threshResult* result) {
  CIP_CHECK(params != nullptr && result != nullptr);
  CIP_CHECK(params->tieRule == CIP_THRESH_TIE_MIDDLE || params->tieRule == CIP_THRESH_TIE_LOWEST);
}

}  // namespace

extern "C" int32_t cip_threshParams_init(cip_threshParams* params) {
  CIP_CHECK(params != nullptr);
  params->tieRule = CIP_THRESH_TIE_MIDDLE;
  return 0;
}

extern "C" int32_t cip_threshComputeWGVThresholdFromHistogram(const uint32_t* histogram,
                                                              int32_t maxValue, int32_t low,
                                                              int32_t high,
                                                              const cip_threshParams* params,
                                                              cip_threshResult* result) {
  CIP_CHECK(histogram != nullptr);
  CIP_CHECK(low >= 0 && low <= high && high <= maxValue);
  checkParams(params, result);
  // Levels are counted from low from here on.
  const uint32_t* h = histogram + low;
  const int64_t levels = int64_t{high} - low + 1;
  moments all;
  int64_t first = -1, last = -1;
  for (int64_t k = 0; k < levels; ++k) {
    if (h[k] == 0) continue;
    all.count += h[k];
    all.sum += u128(h[k]) * uint64_t(k);
    all.squares += u128(h[k]) * (uint64_t(k) * uint64_t(k));
    if (first < 0) first = k;
    last = k;
  }
  if (first == last) {
    const int32_t level = int32_t(low + std::max<int64_t>(first, 0));
    *result = {level, 0, 0.0, double(level), double(level)};
    return 0;
  }

  // Thresholds t = first + 1 .. last leave both classes occupied. The best ones seen so far
  // are the run runStart .. runEnd of consecutive equal scores; a later, separate run of the
  // same score does not replace it.
  split best{};
  int64_t runStart = -1, runEnd = -1;
  bool inRun = false;
  uint64_t darkCount = 0;
  u128 darkSum = 0;
  for (int64_t t = first + 1; t <= last; ++t) {
    darkCount += h[t - 1];
    darkSum += u128(h[t - 1]) * uint64_t(t - 1);
    if (h[t - 1] == 0) {  // the same classes as threshold t - 1
      if (inRun) runEnd = t;
      continue;
    }
    const split candidate = splitOf(all, darkCount, darkSum);
    const int32_t order = runStart < 0 ? 1 : compare(all, candidate, best);
    if (order > 0) {
      best = candidate;
      runStart = runEnd = t;
      inRun = true;
    } else if (order == 0 && inRun) {
      runEnd = t;
    } else {
      inRun = false;
    }
  }
  const int64_t threshold =
      params->tieRule == CIP_THRESH_TIE_MIDDLE ? (runStart + runEnd) / 2 : runStart;

  darkCount = 0;
  darkSum = 0;
  for (int64_t k = first; k < threshold; ++k) {
    darkCount += h[k];
    darkSum += u128(h[k]) * uint64_t(k);
  }
  // Total variance times count^2 = count squares - sum^2, positive with two levels occupied.
  const wideNumber spread =
      difference(product(wideNumber::of(all.count), wideNumber::of(all.squares)),
                 product(wideNumber::of(all.sum), wideNumber::of(all.sum)));
  const splitScore bestScore = scoreOf(all, best.darkCount, best.darkSum);
  result->threshold = int32_t(low + threshold);
  result->valid = 1;
  result->separability = double(bestScore.numerator.approximate() /
                                product(bestScore.denominator, spread).approximate());
  result->darkMean = double(low + (long double)darkSum / darkCount);
  result->lightMean = double(low + (long double)(all.sum - darkSum) / (all.count - darkCount));
  return 0;
}

extern "C" int32_t cip_threshComputeWGVThresholdFromImage(const cimg_imageConst* image,
                                                          const cip_threshParams* params,
                                                          cip_threshResult* result) {
  CIP_CHECK(image != nullptr);
  checkParams(params, result);
  int32_t bound = 0;
  cimg_imageConst_getIsBound(image, &bound);
  if (!bound) return CIMG_STATUS_UNBOUND;
  cimg_windowConst window;
  int32_t status = cimg_windowConst_init(&window, image);
  if (status < 0) return status;
  uint32_t histogram[256] = {};
  status = cip_pelHistogram8(&window, histogram);
  if (status < 0) return status;
  return cip_threshComputeWGVThresholdFromHistogram(histogram, 255, 0, 255, params, result);
}
