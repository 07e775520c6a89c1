// Scan lines: construction from a point or from an angle and a distance, the derived step
// and projection fields, and translation.
#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"
#include "id/idut/scan/fixed16.h"

namespace {

constexpr int32_t one = 0x10000;

// major, step and proj from dir.
void setDerivedFields(cidc_scanLine* line) {
  const int32_t ux = line->dir.x;
  const int32_t uy = line->dir.y;
  if (ux == 0 || uy == 0) {
    line->major = one;
    line->stepX = ux;
    line->stepY = uy;
    line->projX = ux;
    line->projY = -uy;
    return;
  }
  line->major = cxfIMax(ux < 0 ? -ux : ux, uy < 0 ? -uy : uy);
  const int32_t q = line->major >> 3;  // 13 fractional bits, so that ux << 13 fits
  CIDUT_CHECK(q != 0);
  line->stepX = (ux << 13) / q;
  line->stepY = (uy << 13) / q;
  line->projX = (ux * q) >> 13;
  line->projY = -((uy * q) >> 13);
}

}  // namespace

extern "C" int32_t cidc_scanLine_init(cidc_scanLine* line) {
  CIDUT_CHECK(line != nullptr);
  *line = cidc_scanLine{0, {one, 0}, 0, 0, one, one, 0, one, 0};
  return 0;
}

extern "C" int32_t cidc_scanLine_initPointDir(cidc_scanLine* line, const cidc_point64* point,
                                              const cidc_unitDir16* dir) {
  CIDUT_CHECK(line != nullptr);
  CIDUT_CHECK(point != nullptr);
  CIDUT_CHECK(dir != nullptr);
  const cidc_point64 p = *point;
  const int32_t ux = dir->x;
  const int32_t uy = dir->y;
  if (ux == 0 && uy == 0) {
    cidc_scanLine_init(line);
    line->footX = p.x;
    line->footY = p.y;
    return 0;
  }
  line->dir = {ux, uy};
  if (ux == 0) {
    line->footX = p.x;
    line->footY = 0;
    line->dist = uy > 0 ? -p.x : p.x;
  } else if (uy == 0) {
    line->footX = 0;
    line->footY = p.y;
    line->dist = ux > 0 ? p.y : -p.y;
  } else {
    line->dist = (p.y * ux - p.x * uy) >> 16;
    line->footX = cidc_mul16(line->dist, -uy);
    line->footY = cidc_mul16(line->dist, ux);
  }
  setDerivedFields(line);
  return 0;
}

extern "C" int32_t cidc_scanLine_initDirDist(cidc_scanLine* line, const uint16_t* angle,
                                             int64_t dist, const cidc_point64* offset) {
  CIDUT_CHECK(line != nullptr);
  CIDUT_CHECK(angle != nullptr);
  const uint16_t a = *angle;
  line->dist = dist;
  if (a == 0 || a == 0x8000) {
    const bool forward = a == 0;
    line->dir = {forward ? one : -one, 0};
    line->footX = 0;
    line->footY = forward ? dist : -dist;
    if (offset != nullptr) {
      line->footY += offset->y;
      line->dist = forward ? line->footY : -line->footY;
    }
  } else if (a == 0x4000 || a == 0xC000) {
    const bool forward = a == 0x4000;
    line->dir = {0, forward ? one : -one};
    line->footX = forward ? -dist : dist;
    line->footY = 0;
    if (offset != nullptr) {
      line->footX += offset->x;
      line->dist = forward ? -line->footX : line->footX;
    }
  } else {
    const int32_t ux = cmath_cos16FixedPoint(a, 16);
    const int32_t uy = cmath_sin16FixedPoint(a, 16);
    line->dir = {ux, uy};
    line->footX = cidc_mul16(dist, -uy);
    line->footY = cidc_mul16(dist, ux);
    if (offset != nullptr) cidc_scanLine_translate(line, offset, line);
  }
  setDerivedFields(line);
  return 0;
}

extern "C" int32_t cidc_scanLine_translate(const cidc_scanLine* src, const cidc_point64* offset,
                                           cidc_scanLine* dst) {
  const int32_t ux = src->dir.x;
  const int32_t uy = src->dir.y;
  const int64_t delta = (offset->x * -uy + offset->y * ux) >> 16;  // offset along the normal
  *dst = *src;
  dst->dist += delta;
  dst->footX += cidc_mul16(delta, -uy);
  dst->footY += cidc_mul16(delta, ux);
  return 0;
}
