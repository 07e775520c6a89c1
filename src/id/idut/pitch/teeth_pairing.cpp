// Pairing of edges into tooth candidates: an edge of the tooth's first polarity with each
// following edge of the other polarity while their distance stays below the widest
// allowed tooth. Candidates go into bins of 0.8 pitch along the scan, each bin knowing its
// best-scoring candidate.
#include <cmath>
#include <cstdlib>

#include "id/idut/frame/check.h"
#include "id/idut/pitch/teeth_steps.h"

namespace {

// Limits of one call, 24.8 lengths and 8.8 ratios.
struct pairingLimits {
  int32_t maxWidth;
  int32_t minWidth;
  int32_t minMagnitude;
  bool screen;  // minMagnitude applies
  int32_t minRatio;
  bool firstFalls;
};

bool passesScreen(const pairingLimits& limits, int32_t magnitude) {
  return !limits.screen || magnitude >= limits.minMagnitude;
}

bool isFirstEdge(const pairingLimits& limits, int32_t magnitude) {
  return limits.firstFalls ? magnitude <= 0 : magnitude > 0;
}

int32_t candidateScore(int32_t widthScore, int32_t ratio) {
  return (widthScore * ratio + 128) >> 8;
}

}  // namespace

int32_t cidut_teethPairIntoBins(const ccTeethScan& scan, cstd_vector_cidut_teethResults* bins) {
  const cidut_edgePairingParams& p = scan.params;
  pairingLimits limits;
  limits.maxWidth = cidut_teethFixed(p.widthRange.upper * p.expectedWidth);
  limits.minWidth = cidut_teethFixed(p.widthRange.lower * p.expectedWidth);
  limits.minMagnitude = cidut_teethFixed(p.minMagnitude);
  limits.screen = p.minMagnitude >= 0.0;
  limits.minRatio = cidut_teethFixed(p.minContrastRatio);
  limits.firstFalls = p.firstEdgeFalls != 0;
  const int32_t binWidth = scan.pitch;
  CIDUT_CHECK(binWidth != 0);

  const int32_t binCount = int32_t(std::ceil(scan.mappedXLength / (p.expectedPitch * 0.8)));
  if (const int32_t status =
          cstd_vector_cidut_teethResults_resize(bins, uint32_t(binCount), binCount >> 31);
      status < 0) {
    return status;
  }
  cidut_teethResults* bin = nullptr;
  if (const int32_t status = cstd_vector_cidut_teethResults_getBegin(bins, &bin); status < 0) {
    return status;
  }

  const cidut_edge1D* mapped = scan.mapped;
  for (int32_t i = 0; i + 1 < scan.count; ++i) {
    const int32_t firstMagnitude = mapped[i].magnitude;
    if (!isFirstEdge(limits, firstMagnitude) || !passesScreen(limits, firstMagnitude)) continue;
    const int32_t m1 = std::abs(firstMagnitude);
    for (int32_t j = i + 1; j < scan.count; ++j) {
      const int32_t secondMagnitude = mapped[j].magnitude;
      if (isFirstEdge(limits, secondMagnitude) || !passesScreen(limits, secondMagnitude)) continue;
      const int32_t m2 = std::abs(secondMagnitude);
      const int32_t weaker = m1 < m2 ? m1 : m2;
      const int32_t stronger = m1 < m2 ? m2 : m1;
      const int32_t ratio = cidut_teethRatio(weaker, stronger);
      const int32_t d = std::abs(mapped[i].position - mapped[j].position);
      if (d >= limits.maxWidth) break;
      if (d <= limits.minWidth || ratio <= limits.minRatio) continue;

      cidut_toothCand candidate;
      candidate.point = cmath_vect{0.0, 0.0};
      cidut_toothCand_init(&candidate);
      candidate.centre = (mapped[i].position + mapped[j].position) / 2;
      candidate.centreUnmapped = (scan.edges[i].position + scan.edges[j].position) / 2;
      candidate.firstEdge = i;
      candidate.secondEdge = j;
      candidate.contrast = (m1 + m2) / 2;
      candidate.width = d;
      candidate.contrastRatio = ratio;
      const int32_t shorter = d < scan.expectedWidth ? d : scan.expectedWidth;
      const int32_t longer = d < scan.expectedWidth ? scan.expectedWidth : d;
      candidate.widthScore = cidut_teethRatio(shorter, longer);
      candidate.score = candidateScore(candidate.widthScore, ratio);

      const int32_t b = (scan.half + candidate.centre) / binWidth;
      CIDUT_CHECK(b >= 0 && b < binCount);
      cidut_teethResults& target = bin[b];
      int32_t size = 0;
      if (const int32_t status = cstd_vector_cidut_toothCand_getSize(&target.teeth, &size);
          status < 0) {
        return status;
      }
      if (size == 0) {
        target.bestIndex = 0;
      } else {
        const cidut_toothCand* best = nullptr;
        if (const int32_t status =
                cstd_vector_cidut_toothCand_getElementConst(&target.teeth, target.bestIndex, &best);
            status < 0) {
          return status;
        }
        if (candidate.score > best->score) target.bestIndex = size;
      }
      if (const int32_t status = cstd_vector_cidut_toothCand_pushBack(&target.teeth, &candidate);
          status < 0) {
        return status;
      }
      if (candidate.score <= 0) break;
    }
  }
  return 0;
}
