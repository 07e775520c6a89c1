// The typed vector of symbol regions; new elements are unit squares (cid_region_init).
#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/typed_vector.h"

namespace {

constexpr cstd_vectorElementOps regionOps = cidut_elementOps<cid_region, cid_region_init>();

}  // namespace

CIDUT_DEFINE_TYPED_VECTOR(cid_region, &regionOps)
CIDUT_DEFINE_TYPE_CHECKS(cstd_vector_cid_region)
