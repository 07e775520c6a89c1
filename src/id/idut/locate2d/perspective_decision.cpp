// Whether a symbol is seen in perspective: how far its measured fourth corner lies from
// the corner that would complete its three found corners to a parallelogram.
#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/frame/check.h"

namespace {

// Below this departure (pixels) the parallelogram serves as well as the measured corner.
constexpr double perspectiveDeparture = 2.0;

// *departure = |p1 + p2 - p0 - fourthCorner|, pixels.
int32_t fourthCornerDeparture(const cmath_shapeAffineRectPoints* points,
                              const cmath_vect* fourthCorner, double* departure) {
  cmath_vect popp;
  if (const int32_t status = cmath_shapeAffineRectPoints_getPopp(points, &popp); status < 0)
    return status;
  return cmath_vect_getDistance(&popp, fourthCorner, departure);
}

// *flag = 1 when the departure exceeds threshold (strictly).
int32_t departureExceeds(const cmath_shapeAffineRectPoints* points, const cmath_vect* fourthCorner,
                         double threshold, int32_t* flag) {
  double departure;
  if (const int32_t status = fourthCornerDeparture(points, fourthCorner, &departure); status < 0)
    return status;
  *flag = departure > threshold ? 1 : 0;
  return 0;
}

}  // namespace

extern "C" int32_t cidut_isPerspectiveMappingRequired(const cmath_shapeAffineRectPoints* points,
                                                      const cmath_vect* fourthCorner,
                                                      int32_t* required) {
  CIDUT_CHECK(points != nullptr);
  CIDUT_CHECK(required != nullptr);
  *required = 0;
  if (fourthCorner == nullptr) return 0;
  return departureExceeds(points, fourthCorner, perspectiveDeparture, required);
}

extern "C" int32_t cidut_isPerspectiveSevere(const cmath_shapeAffineRectPoints* points,
                                             const cmath_vect* fourthCorner, double threshold,
                                             int32_t* severe) {
  CIDUT_CHECK(points != nullptr);
  CIDUT_CHECK(fourthCorner != nullptr);
  CIDUT_CHECK(severe != nullptr);
  *severe = 0;
  return departureExceeds(points, fourthCorner, threshold, severe);
}
