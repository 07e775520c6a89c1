// Dilation of symbol regions along their centre segments, in their own perspective.
// Negative amounts (scale below 1, negative distance) shrink.
#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"
#include "id/idut/geometry/region_geometry.h"

namespace {

// Moves the start of the segment back and its end forwards, each by k v, at the chosen ends.
void moveEnds(cidut_lineSeg* segment, const cmath_vect& v, double k, bool start, bool end) {
  if (start) {
    segment->p1.x -= k * v.x;
    segment->p1.y -= k * v.y;
  }
  if (end) {
    segment->p2.x += k * v.x;
    segment->p2.y += k * v.y;
  }
}

cmath_vect span(const cidut_lineSeg& segment) {
  return cmath_vect{segment.p2.x - segment.p1.x, segment.p2.y - segment.p1.y};
}

}  // namespace

extern "C" int32_t cid_region_initDilate(cid_region* out, const double scale[2],
                                         const double distance[2], const cid_region* in) {
  CIDUT_CHECK(out != nullptr);
  CIDUT_CHECK(in != nullptr);
  const cmath_vect ctr = cid_region_centerPoint(*in);
  cidut_lineSeg xSegment, ySegment;
  if (const int32_t status = cid_region_centerSegment(*in, cid_regionAxis::x, &ctr, &xSegment);
      status < 0)
    return status;
  if (const int32_t status = cid_region_centerSegment(*in, cid_regionAxis::y, &ctr, &ySegment);
      status < 0)
    return status;
  const cmath_vect vx = span(xSegment);
  const cmath_vect vy = span(ySegment);
  if (scale != nullptr) {
    moveEnds(&xSegment, vx, (scale[0] - 1) / 2, true, true);
    moveEnds(&ySegment, vy, (scale[1] - 1) / 2, true, true);
  }
  if (distance != nullptr) {
    double lx, ly;
    if (const int32_t status = cmath_vect_getLength(&vx, &lx); status < 0) return status;
    if (const int32_t status = cmath_vect_getLength(&vy, &ly); status < 0) return status;
    CIDUT_CHECK(lx != 0.0);
    CIDUT_CHECK(ly != 0.0);
    moveEnds(&xSegment, vx, distance[0] / lx, true, true);
    moveEnds(&ySegment, vy, distance[1] / ly, true, true);
  }
  return cid_region_initBoundPoints(out, &xSegment, &ySegment, in, in);
}

extern "C" int32_t cid_region_initDilateX(cid_region* out, double scale, double distance,
                                          const cid_region* in) {
  const int32_t* tight = in->tightness;
  if (in->affine || tight[0] || tight[1] || tight[2] || tight[3]) {
    const double scales[2] = {scale, 1.0};
    const double distances[2] = {distance, 0.0};
    return cid_region_initDilate(out, scales, distances, in);
  }
  // A loose general region: shift its Y sides apart along the line joining their midpoints.
  const cmath_vect m1 = cid_region_midpoint(in->Po, in->Py);
  const cmath_vect m2 = cid_region_midpoint(in->Px, in->Popp);
  const cmath_vect v{m2.x - m1.x, m2.y - m1.y};
  cmath_vect s{0.0, 0.0};
  if (distance != 0.0) {
    double length;
    if (const int32_t status = cmath_vect_getLength(&v, &length); status < 0) return status;
    s.x += v.x * distance / length;
    s.y += v.y * distance / length;
  }
  if (scale != 0.0) {
    s.x += v.x * (scale - 1) / 2;
    s.y += v.y * (scale - 1) / 2;
  }
  cid_region result = *in;
  result.Po = cmath_vect{in->Po.x - s.x, in->Po.y - s.y};
  result.Py = cmath_vect{in->Py.x - s.x, in->Py.y - s.y};
  result.Px = cmath_vect{in->Px.x + s.x, in->Px.y + s.y};
  result.Popp = cmath_vect{in->Popp.x + s.x, in->Popp.y + s.y};
  result.affine = 0;
  *out = result;
  return 0;
}

extern "C" int32_t cid_region_initDilateDim(cid_region* out, int32_t xDimension, int32_t lowEnd,
                                            int32_t highEnd, const double* scale,
                                            const double* distance, const cid_region* in) {
  CIDUT_CHECK(out != nullptr);
  CIDUT_CHECK(in != nullptr);
  const cid_regionAxis axis = xDimension ? cid_regionAxis::x : cid_regionAxis::y;
  cidut_lineSeg segment;
  if (const int32_t status = cid_region_centerSegment(*in, axis, nullptr, &segment); status < 0)
    return status;
  const cmath_vect v = span(segment);
  if (scale != nullptr) moveEnds(&segment, v, (*scale - 1) / 2, lowEnd, highEnd);
  if (distance != nullptr) {
    double length;
    if (const int32_t status = cmath_vect_getLength(&v, &length); status < 0) return status;
    CIDUT_CHECK(length != 0.0);
    moveEnds(&segment, v, *distance / length, lowEnd, highEnd);
  }
  return cid_region_initBoundPoints(out, xDimension ? &segment : nullptr,
                                    xDimension ? nullptr : &segment, in, in);
}
