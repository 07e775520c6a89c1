// Infinite shape lines: intersection and stepping along a line.
#include <cmath>

#include "kit/shapes.h"

extern "C" int32_t cmath_shapeLine_intersection(const cmath_shapeLine* line1,
                                                const cmath_shapeLine* line2, cmath_vect* point) {
  const cmath_vect& d1 = line1->direction;
  const cmath_vect& d2 = line2->direction;
  const double cross = d1.x * d2.y - d1.y * d2.x;
  // Relative test: the sine of the angle between the lines, at most 1e-12.
  if (std::fabs(cross) <= 1e-12 * std::hypot(d1.x, d1.y) * std::hypot(d2.x, d2.y))
    return CMATH_STATUS_PARALLEL_LINES;
  const double dx = line2->point.x - line1->point.x;
  const double dy = line2->point.y - line1->point.y;
  const double t = (dx * d2.y - dy * d2.x) / cross;
  *point = cmath_vect{line1->point.x + t * d1.x, line1->point.y + t * d1.y};
  return 0;
}

extern "C" int32_t cmath_shapeLine_pointAlong(const cmath_shapeLine* line, double distance,
                                              cmath_vect* point) {
  cmath_vect unit;
  if (const int32_t status = cmath_vect_getUnit(&line->direction, &unit); status < 0) return status;
  *point = cmath_vect{line->point.x + distance * unit.x, line->point.y + distance * unit.y};
  return 0;
}
