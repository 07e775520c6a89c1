// The perspective transform of a symbol: from the parallelogram its three found corners
// span to the quadrilateral with its measured fourth corner, and back.
#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"

extern "C" int32_t cidut_perspectiveMapping_construct(const cmath_shapeAffineRectPoints* points,
                                                      const cmath_vect* fourthCorner,
                                                      cmath_xformPerspective* xform,
                                                      cmath_xformPerspective* inverse) {
  CIDUT_CHECK(xform != nullptr);
  ccCleanupFrame<2> frame;
  cmath_vect popp;
  if (frame.failed(cmath_shapeAffineRectPoints_getPopp(points, &popp))) return frame.exit();
  const cmath_vect ideal[4] = {points->p0, points->p1, points->p2, popp};
  const cmath_vect measured[4] = {points->p0, points->p1, points->p2, *fourthCorner};
  if (frame.failed(cmath_xformPerspective_constructPointsAllowNonUnique(xform, ideal, measured, 4)))
    return frame.exit();
  frame.holdOutput<cmath_xformPerspective_destruct>(xform);
  if (frame.failed(cmath_xformPerspective_construct(inverse))) return frame.exit();
  frame.holdOutput<cmath_xformPerspective_destruct>(inverse);
  frame.failed(cmath_xformPerspective_getInverse(xform, inverse));
  return frame.exit();
}
