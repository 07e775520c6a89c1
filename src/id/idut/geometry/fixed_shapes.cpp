// Fixed-point shapes: distances in 1/16 pixel and the point-in-rectangle test, in
// integer arithmetic.
//
// Line angles are binary angle units (65536 a turn). A segment's angle is atan2 in
// radians scaled by 32768 / pi and rounded, so that the angle stored by
// cmath_shapeFixPtLineSeg_getLine is the one the kit's fixed-point cosine and sine read
// (the containment test subtracts such angles and takes the cosine of the difference).
#include "ci_id/priv/ci_idut/geometry/fixed_shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "id/idut/frame/check.h"

namespace {

constexpr double binaryAnglesPerRadian = 32768.0 / std::numbers::pi;
constexpr int32_t quarterTurn = 16384;
constexpr int32_t halfTurn = 32768;
constexpr int32_t fractionalBits = 15;
constexpr int32_t maxPointDifference =
    262140;                                   // each squared quarter-pixel difference fits 32 bits
constexpr int32_t maxLineDifference = 65535;  // keeps the products with sin, cos in 32 bits
constexpr int32_t boxMargin = 32;             // two pixels

cmath_vect toPixels(const cmath_vect32_4& p) {
  return cmath_vect{p.x * 0.0625, p.y * 0.0625};
}

cmath_vect32_4 toFixed(const cmath_vect& p) {
  return cmath_vect32_4{static_cast<int32_t>(p.x * 16.0), static_cast<int32_t>(p.y * 16.0)};
}

bool operator==(const cmath_vect32_4& a, const cmath_vect32_4& b) {
  return a.x == b.x && a.y == b.y;
}

// A 32-bit result computed as the 32-bit arithmetic would, wrapping on overflow.
int32_t wrap32(int64_t value) {
  return static_cast<int32_t>(value);
}

}  // namespace

extern "C" int32_t cmath_shapeFixPtAffineRectPoints_init(cmath_shapeFixPtAffineRectPoints* rect) {
  CIDUT_CHECK(rect != nullptr);
  *rect = cmath_shapeFixPtAffineRectPoints{{0, 0}, {16, 0}, {0, 16}};
  return 0;
}

extern "C" int32_t cmath_shapeAffineRect_initFixPtPoints(
    cmath_shapeAffineRect* rect, const cmath_shapeFixPtAffineRectPoints* fixed) {
  CIDUT_CHECK(rect != nullptr);
  CIDUT_CHECK(fixed != nullptr);
  const cmath_vect points[3] = {toPixels(fixed->po), toPixels(fixed->px), toPixels(fixed->py)};
  return cmath_shapeAffineRect_initPoints(rect, points);
}

extern "C" int32_t cmath_shapeAffineRect_getFixPtPoints(const cmath_shapeAffineRect* rect,
                                                        cmath_shapeFixPtAffineRectPoints* fixed) {
  CIDUT_CHECK(rect != nullptr);
  CIDUT_CHECK(fixed != nullptr);
  cmath_vect points[3];
  if (const int32_t status = cmath_shapeAffineRect_getPoints(rect, points); status < 0)
    return status;
  *fixed =
      cmath_shapeFixPtAffineRectPoints{toFixed(points[0]), toFixed(points[1]), toFixed(points[2])};
  return 0;
}

extern "C" int32_t cmath_vect32_4_getDistance(const cmath_vect32_4* a, const cmath_vect32_4* b,
                                              int32_t* distance) {
  CIDUT_CHECK(a != nullptr);
  CIDUT_CHECK(b != nullptr);
  CIDUT_CHECK(distance != nullptr);
  const int32_t dx = a->x - b->x;
  const int32_t dy = a->y - b->y;
  CIDUT_CHECK(std::abs(dx) < maxPointDifference);
  CIDUT_CHECK(std::abs(dy) < maxPointDifference);
  // Quarter pixels, so that each square fits 32 bits unsigned.
  const uint32_t qx = static_cast<uint32_t>(std::abs(dx >> 2));
  const uint32_t qy = static_cast<uint32_t>(std::abs(dy >> 2));
  *distance = 4 * static_cast<int32_t>(cmath_sqrt32(qx * qx + qy * qy));
  return 0;
}

extern "C" int32_t cmath_shapeFixPtLineSeg_getLine(const cmath_shapeFixPtLineSeg* segment,
                                                   cmath_shapeFixPtLine* line) {
  CIDUT_CHECK(segment != nullptr);
  CIDUT_CHECK(line != nullptr);
  const double radians = std::atan2(segment->p1.y - segment->p2.y, segment->p1.x - segment->p2.x);
  line->point = segment->p1;
  // A half turn rounds to 32768 from either side; 16 bits keep the angle modulo a turn.
  line->angle = static_cast<uint16_t>(cmath_double_round(radians * binaryAnglesPerRadian));
  return 0;
}

extern "C" int32_t cmath_shapeFixPtLineSeg_distanceFrom(const cmath_shapeFixPtLineSeg* segment,
                                                        const cmath_vect32_4* point,
                                                        int32_t* distance) {
  CIDUT_CHECK(segment != nullptr);
  CIDUT_CHECK(point != nullptr);
  CIDUT_CHECK(distance != nullptr);
  const cmath_vect32_4& p1 = segment->p1;
  const cmath_vect32_4& p2 = segment->p2;
  if (p1 == p2) return CIDUT_ERR_SEGMENT_POINTS_COINCIDE;
  const int64_t dx = (p2.x - p1.x) >> 2, dy = (p2.y - p1.y) >> 2;
  const int64_t wx = (point->x - p1.x) >> 2, wy = (point->y - p1.y) >> 2;
  const int32_t dot = wrap32((wx * dx + wy * dy) * 4);
  const int32_t lengthSquared = wrap32((dx * dx + dy * dy) * 4);
  CIDUT_CHECK(lengthSquared != 0);
  if (dot < 0) return cmath_vect32_4_getDistance(point, &p1, distance);
  if (dot >= lengthSquared) return cmath_vect32_4_getDistance(point, &p2, distance);
  cmath_shapeFixPtLine line;
  if (const int32_t status = cmath_shapeFixPtLineSeg_getLine(segment, &line); status < 0)
    return status;
  return cmath_shapeFixPtLine_distanceFrom(&line, point, distance);
}

namespace {

// Offset of point from the line's point, and the line's cosine and sine (15 fractional
// bits).
struct lineFrame {
  int32_t dx, dy;
  int32_t c, s;
};

lineFrame getLineFrame(const cmath_shapeFixPtLine* line, const cmath_vect32_4* point,
                       const int32_t* distance) {
  CIDUT_CHECK(line != nullptr);
  CIDUT_CHECK(point != nullptr);
  CIDUT_CHECK(distance != nullptr);
  const lineFrame f{point->x - line->point.x, point->y - line->point.y,
                    cmath_cos16FixedPoint(line->angle, fractionalBits),
                    cmath_sin16FixedPoint(line->angle, fractionalBits)};
  CIDUT_CHECK(std::abs(f.dx) < maxLineDifference);
  CIDUT_CHECK(std::abs(f.dy) < maxLineDifference);
  return f;
}

}  // namespace

extern "C" int32_t cmath_shapeFixPtLine_distanceFrom(const cmath_shapeFixPtLine* line,
                                                     const cmath_vect32_4* point,
                                                     int32_t* distance) {
  const lineFrame f = getLineFrame(line, point, distance);
  *distance = std::abs(((-f.s * f.dx) >> fractionalBits) + ((f.dy * f.c) >> fractionalBits));
  return 0;
}

extern "C" int32_t cmath_shapeFixPtLine_distanceAlong(const cmath_shapeFixPtLine* line,
                                                      const cmath_vect32_4* point,
                                                      int32_t* distance) {
  const lineFrame f = getLineFrame(line, point, distance);
  *distance = std::abs(((f.dx * f.c) >> fractionalBits) + ((f.dy * f.s) >> fractionalBits));
  return 0;
}

extern "C" int32_t cmath_shapeFixPtAffineRectPoints_getIsWithin(
    const cmath_shapeFixPtAffineRectPoints* rect, const cmath_vect32_4* point, int32_t* within) {
  CIDUT_CHECK(rect != nullptr);
  CIDUT_CHECK(point != nullptr);
  CIDUT_CHECK(within != nullptr);
  const cmath_vect32_4 po = rect->po, px = rect->px, py = rect->py;
  const cmath_vect32_4 popp{px.x + py.x - po.x, px.y + py.y - po.y};

  const int32_t minX = std::min({po.x, px.x, py.x, popp.x}) - boxMargin;
  const int32_t maxX = std::max({po.x, px.x, py.x, popp.x}) + boxMargin;
  const int32_t minY = std::min({po.y, px.y, py.y, popp.y}) - boxMargin;
  const int32_t maxY = std::max({po.y, px.y, py.y, popp.y}) + boxMargin;
  if (!(minX < point->x && point->x < maxX && minY < point->y && point->y < maxY)) {
    *within = 0;
    return 0;
  }

  // Sides: the two x sides (po-px, py-popp), then the two y sides (px-popp, po-py).
  const cmath_shapeFixPtLineSeg sides[4] = {{po, px}, {py, popp}, {px, popp}, {po, py}};
  cmath_shapeFixPtLine lines[4];
  int64_t distances[4];
  for (int i = 0; i < 4; ++i) {
    int32_t d;
    if (const int32_t status = cmath_shapeFixPtLineSeg_getLine(&sides[i], &lines[i]); status < 0)
      return status;
    if (const int32_t status = cmath_shapeFixPtLine_distanceFrom(&lines[i], point, &d); status < 0)
      return status;
    distances[i] = int64_t{d} << fractionalBits;
  }
  int32_t lengthX, lengthY;
  if (const int32_t status = cmath_vect32_4_getDistance(&po, &px, &lengthX); status < 0)
    return status;
  if (const int32_t status = cmath_vect32_4_getDistance(&po, &py, &lengthY); status < 0)
    return status;

  // Departure of the y side from a right angle with the x side, as a 16-bit angle.
  int32_t skew = static_cast<uint16_t>(lines[3].angle - quarterTurn - lines[0].angle);
  if (skew > halfTurn) skew = halfTurn - skew;
  const int64_t c = cmath_cos16FixedPoint(skew, fractionalBits);
  // Distances between the two x sides and between the two y sides, 15 fractional bits.
  const int64_t heightX = std::abs(lengthY * c) + 1;
  const int64_t heightY = std::abs(lengthX * c) + 1;
  *within = distances[0] < heightX && distances[1] < heightX && distances[2] < heightY &&
            distances[3] < heightY;
  return 0;
}
