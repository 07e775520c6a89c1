// One-dimensional k-means with cluster merging, on doubles and on fixed-point integers.
//
// Both variants run one algorithm over a per-variant record type: k + 2 clusters seeded by
// cutting the input into equal runs, at most 20 reassignment passes, then merging of
// clusters whose means lie within a tolerance of each other (relative to their spread,
// absolute, or both), and finally the clusters ordered by size, largest first.
#include <stdint.h>

#include <cmath>
#include <utility>

#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"

namespace {

constexpr int32_t maximumPasses = 20;

// The double variant over the kit's statistics records.
struct doubleClusters {
  using value = double;
  using difference = double;
  using slot = cmath_statistics;

  double relativeTolerance;  // negative: test off
  double absoluteTolerance;

  int32_t init(slot* s) const { return cmath_statistics_init(s); }
  int32_t clear(slot* s) const { return cmath_statistics_init(s); }
  int32_t add(slot* s, value x) const { return cmath_statistics_add(s, x); }
  int32_t mean(const slot* s, value* m) const { return cmath_statistics_getMean(s, m); }
  int32_t deviation(const slot* s, value* d) const { return cmath_statistics_getStdDev(s, d); }
  static double distance(value a, value b) { return std::fabs(a - b); }
  bool close(double d, double deviation) const {
    return (relativeTolerance >= 0.0 && d <= relativeTolerance * deviation + 1e-10) ||
           (absoluteTolerance >= 0.0 && d <= absoluteTolerance);
  }
  bool merging() const { return relativeTolerance >= 0.0 || absoluteTolerance >= 0.0; }
};

// The fixed-point variant: tolerances in the values' units, the relative limit a product
// of integers.
struct fixedClusters {
  using value = int32_t;
  using difference = int64_t;
  using slot = cmath_statisticsFixed;

  int32_t fracBits;
  bool relativeOn;
  bool absoluteOn;
  int32_t relativeTolerance;  // tolerance * 2^fracBits + 0.5, truncated; 0 when off
  int32_t absoluteTolerance;

  explicit fixedClusters(const cidut_clusterKMeansParamsFixed& p)
      : fracBits(p.fracBits),
        relativeOn(p.relativeTolerance >= 0.0),
        absoluteOn(p.absoluteTolerance >= 0.0),
        relativeTolerance(toFixed(p.relativeTolerance, p.fracBits)),
        absoluteTolerance(toFixed(p.absoluteTolerance, p.fracBits)) {}

  // A tolerance beyond the 32-bit range is as good as the largest one there.
  static int32_t toFixed(double tolerance, int32_t fracBits) {
    if (tolerance < 0.0) return 0;
    const double scaled = std::ldexp(tolerance, fracBits) + 0.5;
    return scaled < 2147483647.0 ? int32_t(scaled) : INT32_MAX;
  }

  int32_t init(slot* s) const { return cmath_statisticsFixed_init(s, fracBits); }
  int32_t clear(slot* s) const { return cmath_statisticsFixed_clear(s); }
  int32_t add(slot* s, value x) const { return cmath_statisticsFixed_add(s, x); }
  int32_t mean(const slot* s, value* m) const { return cmath_statisticsFixed_getMean(s, m); }
  int32_t deviation(const slot* s, value* d) const { return cmath_statisticsFixed_getStdDev(s, d); }
  static int64_t distance(value a, value b) {
    const int64_t d = int64_t{a} - b;
    return d < 0 ? -d : d;
  }
  bool close(int64_t d, int32_t deviation) const {
    return (relativeOn && d <= int64_t{relativeTolerance} * deviation) ||
           (absoluteOn && d <= absoluteTolerance);
  }
  bool merging() const { return relativeOn || absoluteOn; }
};

// The k-means run of one call. Statuses of the statistics calls end it unchanged.
template <class Clusters>
class kMeans {
 public:
  using value = typename Clusters::value;
  using slot = typename Clusters::slot;

  kMeans(const Clusters& clusters, const value* values, int32_t n, int32_t* labels, slot* slots,
         int32_t k)
      : c_(clusters), values_(values), n_(n), labels_(labels), slots_(slots), k_(k) {}

  // Initial runs and the reassignment passes; *converged = 1 when labels settled in fewer
  // than the maximum number of passes.
  int32_t iterate(int32_t slotCount, int32_t* converged) {
    for (int32_t j = 0; j < slotCount; ++j) {
      if (const int32_t status = c_.init(&slots_[j]); status < 0) return status;
    }
    const int32_t run = n_ / k_;
    for (int32_t i = 0; i < n_; ++i) labels_[i] = i / run < k_ ? i / run : k_ - 1;

    int32_t passes = 0;
    bool changed = true;
    while (changed && passes < maximumPasses) {
      ++passes;
      if (const int32_t status = accumulate(); status < 0) return status;
      if (const int32_t status = reassign(&changed); status < 0) return status;
    }
    *converged = passes < maximumPasses ? 1 : 0;
    return 0;
  }

  // Merges every later cluster whose mean is close to an earlier one into it.
  int32_t merge() {
    if (!c_.merging()) return 0;
    for (int32_t a = 0; a < k_; ++a) {
      if (slots_[a].n == 0) continue;
      for (int32_t b = a + 1; b < k_; ++b) {
        if (slots_[b].n == 0) continue;
        value meanA{}, meanB{}, deviationA{}, deviationB{};
        if (const int32_t status = moments(a, &meanA, &deviationA); status < 0) return status;
        if (const int32_t status = moments(b, &meanB, &deviationB); status < 0) return status;
        const value deviation = deviationA < deviationB ? deviationB : deviationA;
        if (!c_.close(Clusters::distance(meanA, meanB), deviation)) continue;
        for (int32_t i = 0; i < n_; ++i) {
          if (labels_[i] != b) continue;
          labels_[i] = a;
          if (const int32_t status = c_.add(&slots_[a], values_[i]); status < 0) return status;
        }
        if (const int32_t status = c_.clear(&slots_[b]); status < 0) return status;
      }
    }
    return 0;
  }

  int32_t nonEmptyClusters() const {
    int32_t count = 0;
    for (int32_t j = 0; j < k_; ++j) count += slots_[j].n > 0 ? 1 : 0;
    return count;
  }

  // Selection by count, largest first (the first of equal counts); labels follow slots.
  void orderBySize() {
    for (int32_t i = 0; i < k_; ++i) {
      int32_t largest = -1;
      for (int32_t j = i; j < k_; ++j) {
        if (slots_[j].n > 0 && (largest < 0 || slots_[j].n > slots_[largest].n)) largest = j;
      }
      if (largest < 0) return;
      if (largest == i) continue;
      std::swap(slots_[i], slots_[largest]);
      for (int32_t v = 0; v < n_; ++v) {
        if (labels_[v] == i) {
          labels_[v] = largest;
        } else if (labels_[v] == largest) {
          labels_[v] = i;
        }
      }
    }
  }

 private:
  int32_t accumulate() {
    for (int32_t j = 0; j < k_; ++j) {
      if (const int32_t status = c_.init(&slots_[j]); status < 0) return status;
    }
    for (int32_t i = 0; i < n_; ++i) {
      if (const int32_t status = c_.add(&slots_[labels_[i]], values_[i]); status < 0) {
        return status;
      }
    }
    return 0;
  }

  // Every value to the non-empty cluster of nearest mean, the lowest index on ties.
  int32_t reassign(bool* changed) {
    *changed = false;
    for (int32_t i = 0; i < n_; ++i) {
      int32_t nearest = -1;
      typename Clusters::difference nearestDistance{};
      for (int32_t j = 0; j < k_; ++j) {
        if (slots_[j].n == 0) continue;
        value m{};
        if (const int32_t status = c_.mean(&slots_[j], &m); status < 0) return status;
        const typename Clusters::difference d = Clusters::distance(values_[i], m);
        if (nearest < 0 || d < nearestDistance) {
          nearest = j;
          nearestDistance = d;
        }
      }
      if (labels_[i] != nearest) {
        labels_[i] = nearest;
        *changed = true;
      }
    }
    return 0;
  }

  int32_t moments(int32_t j, value* mean, value* deviation) const {
    if (const int32_t status = c_.mean(&slots_[j], mean); status < 0) return status;
    return c_.deviation(&slots_[j], deviation);
  }

  const Clusters& c_;
  const value* values_;
  int32_t n_;
  int32_t* labels_;
  slot* slots_;
  int32_t k_;
};

template <class Clusters>
int32_t clusterKMeans(const Clusters& clusters, int32_t k, const typename Clusters::value* values,
                      int32_t n, int32_t* labels, typename Clusters::slot* slots, int32_t slotCount,
                      int32_t* clusterCount, int32_t* converged) {
  CIDUT_CHECK(clusterCount != nullptr && converged != nullptr);
  CIDUT_CHECK(n >= 0 && k >= -2 && slotCount >= 0);
  CIDUT_CHECK(n == 0 || (values != nullptr && labels != nullptr));
  CIDUT_CHECK(slotCount == 0 || slots != nullptr);
  *clusterCount = 0;
  *converged = 0;
  const int32_t initialClusters = k + 2 < n ? k + 2 : n;
  if (initialClusters == 0) return 0;
  if (initialClusters > slotCount) return CIDUT_ERR_BAD_PARAMETER;

  kMeans<Clusters> run(clusters, values, n, labels, slots, initialClusters);
  if (const int32_t status = run.iterate(slotCount, converged); status < 0) return status;
  if (const int32_t status = run.merge(); status < 0) return status;
  *clusterCount = run.nonEmptyClusters();
  run.orderBySize();
  return 0;
}

}  // namespace

extern "C" int32_t cidut_clusterKMeans(const cidut_clusterKMeansParams* params,
                                       const double* values, int32_t n, int32_t* labels,
                                       cmath_statistics* slots, int32_t slotCount,
                                       int32_t* clusterCount, int32_t* converged) {
  CIDUT_CHECK(params != nullptr);
  const doubleClusters clusters{params->relativeTolerance, params->absoluteTolerance};
  return clusterKMeans(clusters, params->k, values, n, labels, slots, slotCount, clusterCount,
                       converged);
}

extern "C" int32_t cidut_clusterKMeans_fixed(const cidut_clusterKMeansParamsFixed* params,
                                             const int32_t* values, int32_t n, int32_t* labels,
                                             cmath_statisticsFixed* slots, int32_t slotCount,
                                             int32_t* clusterCount, int32_t* converged) {
  CIDUT_CHECK(params != nullptr);
  const fixedClusters clusters(*params);
  return clusterKMeans(clusters, params->k, values, n, labels, slots, slotCount, clusterCount,
                       converged);
}
