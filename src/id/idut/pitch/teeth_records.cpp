// The records of edge pairing: tooth candidates, teeth results (which own a vector of
// teeth), the pairing parameters with their defaults, and the typed vectors of teeth
// (exported) and of results (the pairing's bins, internal).
#include "ci_id/priv/ci_idut/pitch.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "id/idut/frame/typed_vector.h"
#include "id/idut/pitch/teeth_steps.h"

namespace {

// "Not measured" for 24.8 and 8.8 fields.
constexpr int32_t unset = -256;
// Teeth reserved by a fresh result.
constexpr int32_t reservedTeeth = 5;

}  // namespace

extern "C" int32_t cidut_toothCand_init(cidut_toothCand* tooth) {
  CIDUT_CHECK(tooth != nullptr);
  tooth->centreUnmapped = 0;
  tooth->score = unset;
  tooth->contrast = unset;
  tooth->firstEdge = -1;
  tooth->secondEdge = -1;
  tooth->slot = -1;
  tooth->centre = 0;
  tooth->width = 0;
  tooth->gridFit = unset;
  tooth->widthScore = unset;
  tooth->contrastRatio = unset;
  return 0;
}

extern "C" int32_t cidut_toothCand_assign(cidut_toothCand* destination,
                                          const cidut_toothCand* source) {
  CIDUT_CHECK(destination != nullptr && source != nullptr);
  *destination = *source;
  return 0;
}

extern "C" int32_t cidut_teethResults_construct(cidut_teethResults* results) {
  CIDUT_CHECK(results != nullptr);
  results->dominantWidth = unset;
  results->dominantShift = unset;
  results->measuredPitch = unset;
  results->avgCellSizeDeviation = unset;
  results->avgCellSize = unset;
  results->expectedWidth = unset;
  results->reserved = unset;
  results->bestIndex = -1;
  ccCleanupFrame<1> frame;
  if (frame.failed(cstd_vector_cidut_toothCand_constructEmpty(&results->teeth))) {
    return frame.exit();
  }
  frame.holdOutput<cstd_vector_cidut_toothCand_destruct>(&results->teeth);
  frame.failed(cstd_vector_cidut_toothCand_reserve(&results->teeth, reservedTeeth, 0));
  return frame.exit();
}

extern "C" int32_t cidut_teethResults_constructCopy(cidut_teethResults* results,
                                                    const cidut_teethResults* source) {
  CIDUT_CHECK(results != nullptr && source != nullptr);
  ccCleanupFrame<1> frame;
  if (frame.failed(cidut_teethResults_construct(results))) return frame.exit();
  frame.holdOutput<cidut_teethResults_destruct>(results);
  frame.failed(cidut_teethResults_assign(results, source));
  return frame.exit();
}

extern "C" int32_t cidut_teethResults_destruct(cidut_teethResults* results) {
  CIDUT_CHECK(results != nullptr);
  return cstd_vector_cidut_toothCand_destruct(&results->teeth);
}

extern "C" int32_t cidut_teethResults_assign(cidut_teethResults* destination,
                                             const cidut_teethResults* source) {
  CIDUT_CHECK(destination != nullptr && source != nullptr);
  if (destination == source) return 0;
  // The teeth first: a failing copy leaves the destination as it was.
  if (const int32_t status =
          cstd_vector_cidut_toothCand_assign(&destination->teeth, &source->teeth);
      status < 0) {
    return status;
  }
  destination->dominantWidth = source->dominantWidth;
  destination->dominantShift = source->dominantShift;
  destination->measuredPitch = source->measuredPitch;
  destination->avgCellSizeDeviation = source->avgCellSizeDeviation;
  destination->avgCellSize = source->avgCellSize;
  destination->expectedWidth = source->expectedWidth;
  destination->reserved = source->reserved;
  destination->bestIndex = source->bestIndex;
  return 0;
}

extern "C" int32_t cidut_edgePairingParams_init(cidut_edgePairingParams* params) {
  CIDUT_CHECK(params != nullptr);
  params->expectedCount = 0;
  params->twoSlotsPerPitch = 0;
  params->borderSlots = 0;
  params->firstEdgeFalls = 1;
  params->expectedWidth = 0.0;
  params->expectedPitch = 0.0;
  params->originOffset = -1.0;
  params->minMagnitude = -1.0;
  params->minContrastRatio = 0.45;
  params->ratioBound = -1.0;
  params->minTeeth = 2;
  params->computePoints = 0;
  return cmath_range_init(&params->widthRange, 0.3, 1.7);
}

namespace {

constexpr cstd_vectorElementOps resultsOps =
    cidut_elementOps<cidut_teethResults, cidut_teethResults_construct,
                     cidut_teethResults_constructCopy, cidut_teethResults_assign,
                     cidut_teethResults_destruct>();

}  // namespace

CIDUT_DEFINE_TYPED_VECTOR(cidut_toothCand, nullptr)
CIDUT_DEFINE_TYPE_CHECKS(cstd_vector_cidut_toothCand)
CIDUT_DEFINE_TYPED_VECTOR(cidut_teethResults, &resultsOps)
