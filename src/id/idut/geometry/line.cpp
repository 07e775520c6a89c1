// Infinite directed lines: construction, intersection, projection, signed distance.
#include <cmath>

#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"

namespace {

constexpr double minDirectionLength = 1e-5;
constexpr double parallelLimit = 1e-12;

void zero(cidut_line* line) { csys_memory_fill(0, sizeof *line, line); }

}  // namespace

extern "C" int32_t cidut_line_initAngPos(cidut_line* line, double angle, const cmath_vect* point) {
  CIDUT_CHECK(line != nullptr);
  CIDUT_CHECK(point != nullptr);
  zero(line);
  cmath_vect dir;
  if (const int32_t status = cmath_vect_init(&dir, std::cos(angle), std::sin(angle)); status < 0)
    return status;
  line->dir = dir;
  line->pos = *point;
  return 0;
}

extern "C" int32_t cidut_line_initDirPos(cidut_line* line, const cmath_vect* direction,
                                         const cmath_vect* point) {
  CIDUT_CHECK(line != nullptr);
  CIDUT_CHECK(direction != nullptr);
  CIDUT_CHECK(point != nullptr);
  zero(line);
  const double length = std::sqrt(direction->x * direction->x + direction->y * direction->y);
  if (length < minDirectionLength) return CIDUT_ERR_BAD_DIRECTION;
  line->dir = cmath_vect{direction->x / length, direction->y / length};
  line->pos = *point;
  return 0;
}

extern "C" int32_t cidut_line_initAngDis(cidut_line* line, double angle, double distance) {
  CIDUT_CHECK(line != nullptr);
  zero(line);
  if (distance < 0.0) return CIDUT_ERR_BAD_DIRECTION;
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  cmath_vect dir;
  if (const int32_t status = cmath_vect_init(&dir, c, s); status < 0) return status;
  cmath_vect pos;
  if (cmath_double_epsilonEqual(c, 0.0, minDirectionLength)) {
    CIDUT_CHECK(!cmath_double_epsilonEqual(s, 0.0, minDirectionLength));
    pos = cmath_vect{-distance / s, 0.0};
  } else {
    pos = cmath_vect{0.0, distance / c};
  }
  line->dir = dir;
  line->pos = pos;
  return 0;
}

extern "C" int32_t cidut_line_getIntersection(const cidut_line* line1, const cidut_line* line2,
                                              cmath_vect* point) {
  CIDUT_CHECK(line1 != nullptr);
  CIDUT_CHECK(line2 != nullptr);
  CIDUT_CHECK(point != nullptr);
  const cmath_vect& d1 = line1->dir;
  const cmath_vect& d2 = line2->dir;
  const double cross = d1.x * d2.y - d1.y * d2.x;
  if (std::fabs(cross) < parallelLimit) return CIDUT_ERR_PARALLEL;
  const double t =
      ((line2->pos.x - line1->pos.x) * d2.y - (line2->pos.y - line1->pos.y) * d2.x) / cross;
  *point = cmath_vect{line1->pos.x + t * d1.x, line1->pos.y + t * d1.y};
  return 0;
}

extern "C" int32_t cidut_line_projectPoint(const cidut_line* line, const cmath_vect* point,
                                           cmath_vect* foot) {
  CIDUT_CHECK(line != nullptr);
  CIDUT_CHECK(point != nullptr);
  CIDUT_CHECK(foot != nullptr);
  const double t = (point->x - line->pos.x) * line->dir.x + (point->y - line->pos.y) * line->dir.y;
  *foot = cmath_vect{line->pos.x + t * line->dir.x, line->pos.y + t * line->dir.y};
  return 0;
}

extern "C" int32_t cidut_line_getDistToPoint(const cidut_line* line, const cmath_vect* point,
                                             double* distance) {
  CIDUT_CHECK(line != nullptr);
  CIDUT_CHECK(point != nullptr);
  CIDUT_CHECK(distance != nullptr);
  *distance = (point->x - line->pos.x) * line->dir.y - (point->y - line->pos.y) * line->dir.x;
  return 0;
}
