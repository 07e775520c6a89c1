// Affine rectangles carried through a general transform corner by corner: the three
// defining corners are mapped and the completing corner follows from them.
#include "ci_id/priv/ci_idut/locate2d.h"

extern "C" int32_t cidut_affine_mapPerspective(const cmath_shapeAffineRect* rect,
                                               const cmath_xform* xform,
                                               cmath_shapeAffineRect* out) {
  cmath_vect corners[3];
  if (const int32_t status = cmath_shapeAffineRect_getPoints(rect, corners); status < 0)
    return status;
  for (cmath_vect& corner : corners)
    if (const int32_t status = cmath_xform_mapPoint(xform, &corner, &corner); status < 0)
      return status;
  return cmath_shapeAffineRect_initPoints(out, corners);
}
