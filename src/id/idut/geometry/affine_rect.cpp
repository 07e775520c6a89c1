// The library's export of the kit's point-in-affine-rectangle test.
#include "ci_id/priv/ci_idut/geometry.h"

extern "C" int32_t cf_affineRect_within(const cmath_shapeAffineRect* rect, const cmath_vect* point,
                                        int32_t* within) {
  return cmath_shapeAffineRect_within(rect, point, within);
}
