// The search parameters and the search result.
#include <limits>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/frame/check.h"

extern "C" int32_t cid2d_trackingParams_init(cid2d_trackingParams* params) {
  CIDUT_CHECK(params != nullptr);
  *params = cid2d_trackingParams{};
  params->minSize = 15.0;
  params->maxSize = 2000.0;
  params->scanRows = 1;
  params->minSmoothing = 3.0;
  params->maxBoundaryPoints = std::numeric_limits<int32_t>::max();
  params->numFitPasses = 2;
  return 0;
}

extern "C" int32_t cid2d_trackingResult_construct(cid2d_trackingResult* result) {
  CIDUT_CHECK(result != nullptr);
  if (const int32_t status = cmath_shapeAffineRect_init(&result->rect); status < 0) return status;
  if (const int32_t status = cmath_vect_init(&result->fourthCorner, 0.0, 0.0); status < 0)
    return status;
  result->fourthCornerInferred = 1;
  result->found = 0;
  if (const int32_t status = cbt_result_construct(&result->boundary, 0); status < 0) return status;
  result->foundScanIndex = 0;
  result->score = 0;
  result->scoreRange = 0;
  result->threshold = 0;
  return csys_memory_fill(0, sizeof result->seed, &result->seed);
}

extern "C" int32_t cid2d_trackingResult_reset(cid2d_trackingResult* result) {
  CIDUT_CHECK(result != nullptr);
  result->found = 0;
  result->score = 0;
  return 0;
}

extern "C" int32_t cid2d_trackingResult_destruct(cid2d_trackingResult* result) {
  CIDUT_CHECK(result != nullptr);
  result->found = 0;
  return cbt_result_destruct(&result->boundary);
}

CIDUT_DEFINE_TYPE_CHECKS(cid2d_trackingResult)
