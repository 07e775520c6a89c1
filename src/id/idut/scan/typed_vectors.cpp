// The typed vectors of the scanning core: peaks, lists of peak vectors, and the scan
// shapes, with their type checks.
#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/typed_vector.h"

namespace {

constexpr cstd_vectorElementOps peakListOps =
    cidut_elementOps<vector_cidc_peakIDFixedX_4, cstd_vector_cidc_peakIDFixedX_4_constructEmpty,
                     cstd_vector_cidc_peakIDFixedX_4_constructCopy,
                     cstd_vector_cidc_peakIDFixedX_4_assign,
                     cstd_vector_cidc_peakIDFixedX_4_destruct>();

}  // namespace

CIDUT_DEFINE_TYPED_VECTOR(cidc_peakIDFixedX_4, nullptr)
CIDUT_DEFINE_TYPED_VECTOR(vector_cidc_peakIDFixedX_4, &peakListOps)
CIDUT_DEFINE_TYPED_VECTOR(cidc_scanLine, nullptr)
CIDUT_DEFINE_TYPED_VECTOR(cidc_scanLineSeg, nullptr)
CIDUT_DEFINE_TYPED_VECTOR(cidc_scanRay, nullptr)
CIDUT_DEFINE_TYPED_VECTOR(cidc_scanShape, nullptr)

CIDUT_DEFINE_TYPE_CHECKS(cstd_vector_cidc_peakIDFixedX_4)
CIDUT_DEFINE_TYPE_CHECKS(cstd_vector_vector_cidc_peakIDFixedX_4)
CIDUT_DEFINE_TYPE_CHECKS(cstd_vector_cidc_scanLine)
CIDUT_DEFINE_TYPE_CHECKS(cstd_vector_cidc_scanLineSeg)
CIDUT_DEFINE_TYPE_CHECKS(cstd_vector_cidc_scanRay)
CIDUT_DEFINE_TYPE_CHECKS(cstd_vector_cidc_scanShape)
