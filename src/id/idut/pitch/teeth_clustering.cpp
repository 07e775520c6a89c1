// Clustering of candidate widths, contrasts and phases. k-means with an absolute merge
// tolerance finds the groups; a group whose far members lie, on average, well beyond the
// tolerance from its mean holds two populations and is split once more. More than one
// such group, or a split that does not come out in two, leaves the values unresolved.
#include <cstdlib>

#include "id/idut/pitch/teeth_steps.h"

namespace {

// Initial clusters when a spread-out cluster is clustered again.
constexpr int32_t splitInitialClusters = 3;

int32_t kMeans(const ccTeethClustering& clustering, int32_t initialClusters, const int32_t* values,
               int32_t n, int32_t* labels, cmath_statisticsFixed* slots, int32_t* clusterCount) {
  cidut_clusterKMeansParamsFixed params;
  params.k = initialClusters - 2;
  params.relativeTolerance = -1.0;
  params.absoluteTolerance = clustering.absoluteTolerance;
  params.fracBits = 8;
  int32_t converged = 0;
  return cidut_clusterKMeans_fixed(&params, values, n, labels, slots, cidut_teethMaxClusters,
                                   clusterCount, &converged);
}

// Clusters the values, leaving the marked ones out (label -1) when asked.
int32_t clusterAll(const ccTeethClustering& clustering, const int32_t* values, int32_t n,
                   int32_t* labels, int32_t* work, int32_t* workLabels,
                   cmath_statisticsFixed* slots, int32_t* clusterCount) {
  if (!clustering.excludeMarker) {
    return kMeans(clustering, clustering.initialClusters, values, n, labels, slots, clusterCount);
  }
  int32_t kept = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (values[i] != clustering.marker) work[kept++] = values[i];
  }
  const int32_t status =
      kMeans(clustering, clustering.initialClusters, work, kept, workLabels, slots, clusterCount);
  if (status < 0) return status;
  kept = 0;
  for (int32_t i = 0; i < n; ++i) {
    labels[i] = values[i] != clustering.marker ? workLabels[kept++] : -1;
  }
  return 0;
}

// Whether the members of cluster c farther than limit from its mean average farther than
// limit from it.
bool spreadOut(const int32_t* values, const int32_t* labels, int32_t n, int32_t c, int32_t mean,
               int64_t limit) {
  int64_t sum = 0;
  int32_t far = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (labels[i] != c || std::llabs(int64_t{values[i]} - mean) <= limit) continue;
    sum += values[i];
    ++far;
  }
  return far > 0 && std::llabs(sum / far - mean) > limit;
}

}  // namespace

int32_t cidut_teethCluster(const ccTeethClustering& clustering, const int32_t* values, int32_t n,
                           int32_t* labels, int32_t* work, int32_t* workLabels,
                           cmath_statisticsFixed slots[cidut_teethMaxClusters],
                           int32_t* clusterCount, bool* usable) {
  *usable = false;
  if (const int32_t status =
          clusterAll(clustering, values, n, labels, work, workLabels, slots, clusterCount);
      status < 0) {
    return status;
  }
  *usable = true;
  if (*clusterCount < 1) return 0;

  // The tolerance in 24.8 whatever the clustering's fractional bits.
  const int64_t limit =
      int64_t{cidut_teethFixed(clustering.absoluteTolerance)} * clustering.splitFactor;
  int32_t split = -1;
  for (int32_t c = 0; c < *clusterCount; ++c) {
    int32_t mean = 0;
    if (const int32_t status = cmath_statisticsFixed_getMean(&slots[c], &mean); status < 0) {
      return status;
    }
    if (!spreadOut(values, labels, n, c, mean, limit)) continue;
    if (split >= 0) {
      *usable = false;
      return 0;
    }
    split = c;
  }
  if (split < 0) return 0;

  int32_t members = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (labels[i] == split) work[members++] = values[i];
  }
  cmath_statisticsFixed halves[cidut_teethMaxClusters];
  int32_t halfCount = 0;
  if (const int32_t status =
          kMeans(clustering, splitInitialClusters, work, members, workLabels, halves, &halfCount);
      status < 0) {
    return status;
  }
  if (halfCount != 2 || cidut_teethMaxClusters - *clusterCount - 1 < 0) {
    *usable = false;
    return 0;
  }
  const int32_t added = *clusterCount;
  members = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (labels[i] == split && workLabels[members++] == 1) labels[i] = added;
  }
  slots[split] = halves[0];
  slots[added] = halves[1];
  ++*clusterCount;
  return 0;
}
