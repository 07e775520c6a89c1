// General transforms: one mapping call over linear and perspective transforms.
#include "kit/xform.h"

extern "C" int32_t cmath_xform_initLinear(cmath_xform* xform, const cmath_xformLinear* linear) {
  cmath_xform result{};
  result.kind = CMATH_XFORM_LINEAR;
  result.linear = *linear;
  *xform = result;
  return 0;
}

extern "C" int32_t cmath_xform_initPerspective(cmath_xform* xform,
                                               const cmath_xformPerspective* perspective) {
  cmath_xform result{};
  result.kind = CMATH_XFORM_PERSPECTIVE;
  result.perspective = *perspective;
  *xform = result;
  return 0;
}

extern "C" int32_t cmath_xform_mapPoint(const cmath_xform* xform, const cmath_vect* p,
                                        cmath_vect* out) {
  switch (xform->kind) {
    case CMATH_XFORM_LINEAR:
      return cmath_xformLinear_mapPoint(&xform->linear, p, out);
    case CMATH_XFORM_PERSPECTIVE:
      return cmath_xformPerspective_mapPoint(&xform->perspective, p, out);
    default:
      return CMATH_STATUS_BAD_XFORM_KIND;
  }
}
