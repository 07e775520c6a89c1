// Line segments: their line, angle and distance, and the intersection of the infinite
// lines through two segments.
#include <cmath>

#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"

extern "C" int32_t cidut_lineSeg_initP1P2(cidut_lineSeg* segment, const cmath_vect* p1,
                                          const cmath_vect* p2) {
  CIDUT_CHECK(segment != nullptr);
  CIDUT_CHECK(p1 != nullptr);
  CIDUT_CHECK(p2 != nullptr);
  segment->p1 = *p1;
  segment->p2 = *p2;
  return 0;
}

extern "C" int32_t cidut_lineSeg_getLine(const cidut_lineSeg* segment, cidut_line* line) {
  CIDUT_CHECK(segment != nullptr);
  CIDUT_CHECK(line != nullptr);
  cmath_vect v;
  if (const int32_t status = cmath_vect_initSubtract(&v, &segment->p2, &segment->p1); status < 0)
    return status;
  cmath_vect unit;
  if (cmath_vect_getUnit(&v, &unit) < 0) return CIDUT_ERR_DEGENERATE_SEGMENT;
  line->pos = segment->p1;
  line->dir = unit;
  return 0;
}

extern "C" int32_t cidut_lineSeg_getAngle(const cidut_lineSeg* segment, double* angle) {
  CIDUT_CHECK(segment != nullptr);
  cidut_line line;
  if (const int32_t status = cidut_lineSeg_getLine(segment, &line); status < 0) return status;
  return cmath_vect_getDirection(&line.dir, angle);
}

extern "C" int32_t cidut_lineSeg_getDistToPoint(const cidut_lineSeg* segment,
                                                const cmath_vect* point, double* distance) {
  cidut_line line;
  if (const int32_t status = cidut_lineSeg_getLine(segment, &line); status < 0) return status;
  return cidut_line_getDistToPoint(&line, point, distance);
}

extern "C" int32_t cidut_lineSeg_getIntersection(const cidut_lineSeg* segment1,
                                                 const cidut_lineSeg* segment2,
                                                 cmath_vect* point) {
  CIDUT_CHECK(segment1 != nullptr);
  CIDUT_CHECK(segment2 != nullptr);
  CIDUT_CHECK(point != nullptr);
  // Each segment's line as a x + b y + c = 0.
  const double a1 = segment1->p2.y - segment1->p1.y;
  const double b1 = segment1->p1.x - segment1->p2.x;
  const double c1 = -b1 * segment1->p1.y - a1 * segment1->p1.x;
  const double a2 = segment2->p2.y - segment2->p1.y;
  const double b2 = segment2->p1.x - segment2->p2.x;
  const double c2 = -b2 * segment2->p1.y - a2 * segment2->p1.x;
  const double det = a1 * b2 - a2 * b1;
  if (std::fabs(det) < 1e-12) return CIDUT_ERR_PARALLEL;
  const double k = 1.0 / det;
  *point = cmath_vect{(b1 * c2 - b2 * c1) * k, (c1 * a2 - c2 * a1) * k};
  return 0;
}
