// Slot placement: every candidate is scored by its contrast balance, its width against the
// dominant width and its distance from the grid phase, and given the grid slot of its
// centre; each slot keeps its best-scoring candidate.
#include <cstdlib>

#include "id/idut/pitch/teeth_steps.h"

namespace {

// Weights of contrast balance and width in the score, 8.8 (0.8 and 1.5; their sum is
// halved).
constexpr int32_t contrastWeight = 205;
constexpr int32_t widthWeight = 384;

int32_t weighted(int32_t value, int32_t weight) {
  return (value * weight + 128) >> 8;
}

void scoreCandidate(const ccTeethScan& scan, int32_t dominantShift, int32_t dominantWidth,
                    cidut_toothCand* candidate) {
  const int32_t pitch = scan.pitch;
  const int32_t position = candidate->centre + scan.origin;
  const int32_t phase = position % pitch;
  const int32_t reference =
      phase > pitch / 2 && position > pitch ? pitch - dominantShift : dominantShift;
  const int32_t deviation = std::abs(phase - reference);
  candidate->gridFit = cidut_teethRatio(pitch - deviation, pitch);
  const int32_t width = candidate->width;
  candidate->widthScore = cidut_teethRatio(width < dominantWidth ? width : dominantWidth,
                                           width < dominantWidth ? dominantWidth : width);
  const int32_t balance = (weighted(candidate->contrastRatio, contrastWeight) +
                           weighted(candidate->widthScore, widthWeight)) /
                          2;
  candidate->score = (balance * candidate->gridFit + 128) >> 8;
  candidate->slot = cidut_teethRatio(position, pitch) >> 8;
}

}  // namespace

int32_t cidut_teethPlace(const ccTeethScan& scan, cidut_toothCand* candidates, int32_t count,
                         cidut_teethResults* results) {
  for (int32_t i = 0; i < count; ++i) {
    scoreCandidate(scan, results->dominantShift, results->dominantWidth, &candidates[i]);
  }

  const int32_t slots = scan.params.expectedCount;
  cidut_toothCand empty;
  empty.point = cmath_vect{0.0, 0.0};
  cidut_toothCand_init(&empty);
  if (const int32_t status = cstd_vector_cidut_toothCand_clear(&results->teeth); status < 0) {
    return status;
  }
  if (const int32_t status = cstd_vector_cidut_toothCand_resizeFill(
          &results->teeth, uint32_t(slots), slots >> 31, &empty);
      status < 0) {
    return status;
  }
  cidut_toothCand* teeth = nullptr;
  if (const int32_t status = cstd_vector_cidut_toothCand_getBegin(&results->teeth, &teeth);
      status < 0) {
    return status;
  }

  // With border slots the first and last slot stay free: grid slots 0 .. slots - 3 go to
  // entries 1 .. slots - 2.
  const int32_t stride = scan.params.twoSlotsPerPitch ? 2 : 1;
  const int32_t offset = scan.params.borderSlots ? 1 : 0;
  const int32_t limit = scan.params.borderSlots ? slots - 2 : slots;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t grid = candidates[i].slot * stride;
    if (grid < 0 || grid >= limit) continue;
    cidut_toothCand& tooth = teeth[grid + offset];
    if (tooth.slot != -1 && tooth.score >= candidates[i].score) continue;
    tooth = candidates[i];
    tooth.slot = grid;
  }

  int64_t deviations = 0, widths = 0;
  int32_t real = 0;
  for (int32_t s = 0; s < slots; ++s) {
    if (teeth[s].firstEdge < 0) continue;
    deviations += cidut_teethRatio(teeth[s].width, scan.expectedWidth) - 256;
    widths += teeth[s].width;
    ++real;
  }
  results->avgCellSizeDeviation = real > 0 ? int32_t(deviations / real) : 0;
  results->avgCellSize = real > 0 ? int32_t(widths / real) : 0;
  return 0;
}
