// Selection of the dominant tooth: the width cluster and, among its members, the contrast
// cluster that best match the expected width, full contrast and the expected tooth count;
// then the grid phase as the largest cluster of the winners' centres modulo the pitch,
// folded about half a pitch.
#include <cstdlib>

#include "id/idut/frame/cleanup_frame.h"
#include "id/idut/pitch/teeth_steps.h"

namespace {

// More candidates per bin than this: the scan is too busy to hold a clock track.
constexpr double maxCandidatesPerBin = 2.7;
// Marker of values left out of the contrast clustering.
constexpr int32_t contrastMarker = 0x40000;
// Full contrast, 255.0 in 24.8.
constexpr int32_t fullContrast = 0xFF00;
// Contrast tolerance cap, grey levels.
constexpr double maxContrastTolerance = 20.0;

// The candidate arrays of one selection, n entries each.
struct selectionArrays {
  int32_t* widths;
  int32_t* widthLabels;
  int32_t* values;  // contrasts, then phases
  int32_t* labels;
  int32_t* winnerLabels;  // contrast labels of the winning width cluster
  int32_t* work;
  int32_t* workLabels;
};
constexpr int32_t arraysPerCandidate = 7;

// The winning pair of width and contrast clusters.
struct dominantPair {
  int32_t widthCluster = -1;
  int32_t contrastCluster = -1;
  int32_t total = 0;
};

// Scores the contrast clusters of the members of width cluster c; a better pair replaces
// *best (and its labels the winner labels).
int32_t scoreContrasts(const ccTeethScan& scan, const cidut_toothCand* candidates, int32_t n,
                       const selectionArrays& a, int32_t c, int32_t widthFit, dominantPair* best) {
  int64_t sum = 0;
  int32_t members = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (a.widthLabels[i] == c) {
      a.values[i] = candidates[i].contrast;
      sum += candidates[i].contrast;
      ++members;
    } else {
      a.values[i] = contrastMarker;
    }
  }
  double tolerance = maxContrastTolerance;
  if (members > 0) {
    const double scaled = double(sum / members) / 256.0 * 0.2;
    if (scaled < tolerance) tolerance = scaled;
  }
  const ccTeethClustering clustering{4, tolerance, 2, true, contrastMarker};
  cmath_statisticsFixed slots[cidut_teethMaxClusters];
  int32_t count = 0;
  bool usable = false;
  if (const int32_t status = cidut_teethCluster(clustering, a.values, n, a.labels, a.work,
                                                a.workLabels, slots, &count, &usable);
      status < 0) {
    return status;
  }
  if (!usable) return 0;

  int32_t expected = scan.params.expectedCount * 256;
  if (scan.params.twoSlotsPerPitch) expected /= 2;
  for (int32_t c2 = 0; c2 < count; ++c2) {
    int32_t mean = 0;
    if (const int32_t status = cmath_statisticsFixed_getMean(&slots[c2], &mean); status < 0) {
      return status;
    }
    if (mean > fullContrast) continue;
    const int32_t contrastFit = cidut_teethRatio(mean, fullContrast);
    const int32_t countFit = cidut_teethRatio(slots[c2].n << 8, expected);
    const int32_t total = (countFit * 3) / 2 + contrastFit + widthFit / 2;
    if (best->widthCluster >= 0 && total <= best->total) continue;
    best->widthCluster = c;
    best->contrastCluster = c2;
    best->total = total;
    for (int32_t i = 0; i < n; ++i) a.winnerLabels[i] = a.labels[i];
  }
  return 0;
}

// The dominant pair and its mean width; *found = false when there is none.
int32_t findDominantPair(const ccTeethScan& scan, const cidut_toothCand* candidates, int32_t n,
                         const selectionArrays& a, dominantPair* best, int32_t* dominantWidth,
                         bool* found) {
  *found = false;
  for (int32_t i = 0; i < n; ++i) a.widths[i] = candidates[i].width;
  const ccTeethClustering clustering{4, scan.params.expectedWidth * 0.1, 3, false, 0};
  cmath_statisticsFixed slots[cidut_teethMaxClusters];
  int32_t count = 0;
  bool usable = false;
  if (const int32_t status = cidut_teethCluster(clustering, a.widths, n, a.widthLabels, a.work,
                                                a.workLabels, slots, &count, &usable);
      status < 0) {
    return status;
  }
  if (!usable || count == 0) return 0;

  const int32_t widest = cidut_teethFixed(scan.params.expectedPitch * 0.975);
  int32_t means[cidut_teethMaxClusters];
  for (int32_t c = 0; c < count; ++c) {
    if (const int32_t status = cmath_statisticsFixed_getMean(&slots[c], &means[c]); status < 0) {
      return status;
    }
    if (means[c] > widest) continue;
    const int32_t widthFit =
        256 - cidut_teethRatio(std::abs(means[c] - scan.expectedWidth), scan.expectedWidth);
    if (const int32_t status = scoreContrasts(scan, candidates, n, a, c, widthFit, best);
        status < 0) {
      return status;
    }
  }
  if (best->widthCluster < 0) return 0;
  *dominantWidth = means[best->widthCluster];
  *found = true;
  return 0;
}

// The phase of the winners' centres: the mean of the largest phase cluster.
int32_t findPhase(const ccTeethScan& scan, const cidut_toothCand* candidates, int32_t n,
                  const selectionArrays& a, const dominantPair& best, int32_t* shift, bool* found) {
  *found = false;
  const int32_t pitch = scan.pitch;
  const int32_t marker = 10 * pitch;
  for (int32_t i = 0; i < n; ++i) {
    if (a.widthLabels[i] != best.widthCluster || a.winnerLabels[i] != best.contrastCluster) {
      a.values[i] = marker;
      continue;
    }
    const int32_t position = candidates[i].centre + scan.origin;
    int32_t phase = position % pitch;
    if (phase > pitch / 2 && position > pitch) phase = pitch - phase;
    a.values[i] = phase;
  }
  const ccTeethClustering clustering{4, scan.params.expectedPitch * 0.1, 2, true, marker};
  cmath_statisticsFixed slots[cidut_teethMaxClusters];
  int32_t count = 0;
  bool usable = false;
  if (const int32_t status = cidut_teethCluster(clustering, a.values, n, a.labels, a.work,
                                                a.workLabels, slots, &count, &usable);
      status < 0) {
    return status;
  }
  if (!usable || count == 0) return 0;
  int32_t largest = 0;
  for (int32_t c = 1; c < count; ++c) {
    if (slots[c].n > slots[largest].n) largest = c;
  }
  *found = true;
  return cmath_statisticsFixed_getMean(&slots[largest], shift);
}

}  // namespace

int32_t cidut_teethSelect(const ccTeethScan& scan, cstd_vector_cidut_teethResults* bins,
                          cidut_teethResults* results) {
  cidut_teethResults* bin = nullptr;
  int32_t binCount = 0;
  if (const int32_t status = cstd_vector_cidut_teethResults_getBeginSize(bins, &bin, &binCount);
      status < 0) {
    return status;
  }
  int32_t n = 0;
  for (int32_t b = 0; b < binCount; ++b) {
    int32_t size = 0;
    if (const int32_t status = cstd_vector_cidut_toothCand_getSize(&bin[b].teeth, &size);
        status < 0) {
      return status;
    }
    n += size;
  }
  if (double(n) / double(binCount > 1 ? binCount : 1) > maxCandidatesPerBin || n == 0) return 0;

  ccCleanupFrame<2> frame;
  cidut_toothCand* candidates = nullptr;
  if (frame.failed(
          csys_memory_alloc_internal(sizeof(cidut_toothCand) * size_t(n), (void**)&candidates))) {
    return frame.exit();
  }
  frame.holdBlock(&candidates);
  int32_t* pool = nullptr;
  if (frame.failed(csys_memory_alloc_internal(sizeof(int32_t) * arraysPerCandidate * size_t(n),
                                              (void**)&pool))) {
    return frame.exit();
  }
  frame.holdBlock(&pool);
  const selectionArrays a{pool,         pool + n,     pool + 2 * n, pool + 3 * n,
                          pool + 4 * n, pool + 5 * n, pool + 6 * n};

  int32_t gathered = 0;
  for (int32_t b = 0; b < binCount; ++b) {
    const cidut_toothCand* begin = nullptr;
    int32_t size = 0;
    if (frame.failed(cstd_vector_cidut_toothCand_getBeginSizeConst(&bin[b].teeth, &begin, &size))) {
      return frame.exit();
    }
    for (int32_t i = 0; i < size; ++i) candidates[gathered++] = begin[i];
  }

  dominantPair best;
  bool found = false;
  if (frame.failed(
          findDominantPair(scan, candidates, n, a, &best, &results->dominantWidth, &found)) ||
      !found) {
    return frame.exit();
  }
  if (frame.failed(findPhase(scan, candidates, n, a, best, &results->dominantShift, &found)) ||
      !found) {
    return frame.exit();
  }
  frame.failed(cidut_teethPlace(scan, candidates, n, results));
  return frame.exit();
}
