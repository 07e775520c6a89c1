// The steps of cidut_edgesToTeeth and what they share: the scan as the steps see it
// (scaled parameters, mapped edge positions, 24.8 lengths), the bins of candidates, the
// clustering wrapper with its split test, and the 8.8 ratio idiom.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/pitch.h"
#include "ci_id/priv/ci_idut/prep.h"

// Bins of candidates: only teeth and bestIndex of each record are used.
extern "C" {
CIDUT_DECLARE_INTERNAL_TYPED_VECTOR(cidut_teethResults)
}

// A length in pixels as 24.8 (also a ratio as 8.8): x * 256 + 0.5, truncated toward zero.
inline int32_t cidut_teethFixed(double x) {
  return int32_t(x * 256.0 + 0.5);
}

// x / y in 8.8 with a rounded divisor, (x * 16) / ((y + 8) >> 4); 0 for a zero divisor.
inline int32_t cidut_teethRatio(int32_t x, int32_t y) {
  const int32_t divisor = (y + 8) >> 4;
  return divisor == 0 ? 0 : (x * 16) / divisor;
}

// The scan as pairing, selection and completion see it.
struct ccTeethScan {
  cidut_edgePairingParams params;  // the caller's, lengths scaled into the mapped frame
  const cidut_edge1D* edges;       // the caller's edges
  const cidut_edge1D* mapped;      // the same with mapped positions (edges without mapping)
  int32_t count;
  double mappedXLength;   // pixels
  int32_t expectedWidth;  // 24.8
  int32_t pitch;          // 24.8
  int32_t half;           // half the mapped x length, 24.8
  int32_t origin;         // scan start to rectangle centre, 24.8
};

// The perspective frame of a call: both transforms, or neither.
struct ccTeethFrame {
  const cmath_xform* inverse;           // null without mapping
  const cmath_xformLinear* pointXform;  // may be null
  cmath_vect unmappedCentre;
  cmath_shapeLine mappedAxis;  // through the mapped centre along the mapped x direction
};

// Pairs the edges into candidates, each appended to the bin of its centre (one bin per
// 0.8 pitch); bins is resized to the bin count.
int32_t cidut_teethPairIntoBins(const ccTeethScan& scan, cstd_vector_cidut_teethResults* bins);

// Dominant width, contrast and phase of the candidates, their scores and slots, and the
// best candidate of each slot placed into results->teeth (left empty when no dominant
// width or phase is found).
int32_t cidut_teethSelect(const ccTeethScan& scan, cstd_vector_cidut_teethResults* bins,
                          cidut_teethResults* results);

// Scores and slots of the candidates against the dominant width and phase of results,
// the best of each slot placed into results->teeth (expectedCount entries), and the mean
// width and width deviation of the placed teeth.
int32_t cidut_teethPlace(const ccTeethScan& scan, cidut_toothCand* candidates, int32_t count,
                         cidut_teethResults* results);

// Overlapping neighbours resolved, too few teeth dropped, missing slots extrapolated, image
// points and the measured pitch.
int32_t cidut_teethComplete(const ccTeethScan& scan, const ccTeethFrame& frame,
                            cidut_teethResults* results);

// Fills the empty slots between the first and the last placed tooth, then those before
// and after them, with synthetic teeth one step (pitch / slots per pitch) apart.
void cidut_teethExtrapolate(const ccTeethScan& scan, cidut_toothCand* teeth, int32_t count);

// ---------------------------------------------------------------------------------------
// Clustering of 24.8 values on cidut_clusterKMeans_fixed (8 fractional bits, absolute
// tolerance only), with values equal to an optional marker left out (label -1) and one
// cluster of far-spread members split in two.

constexpr int32_t cidut_teethMaxClusters = 6;

struct ccTeethClustering {
  int32_t initialClusters;
  double absoluteTolerance;  // pixels (or grey levels)
  int32_t splitFactor;       // members farther than factor x tolerance suggest a split
  bool excludeMarker;
  int32_t marker;
};

// labels[i] = cluster of values[i]; slots[0 .. *clusterCount - 1] their statistics.
// *usable = false when the spread could not be resolved. work and workLabels are scratch
// of n entries each. Statuses of the clustering are returned unchanged.
int32_t cidut_teethCluster(const ccTeethClustering& clustering, const int32_t* values, int32_t n,
                           int32_t* labels, int32_t* work, int32_t* workLabels,
                           cmath_statisticsFixed slots[cidut_teethMaxClusters],
                           int32_t* clusterCount, bool* usable);
