// Clipping a scan segment against a window ROI: axis-aligned segments by their end
// coordinates, others by the 16.16 fractions cut off at either end.
#include <algorithm>

#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"

namespace {

constexpr int32_t one = 0x10000;

// The segment of an axis line between two coordinates on its axis of travel, if the
// line's fixed coordinate lies inside [lo, hi] of the other axis. along selects x (0) or
// y (1) as the axis of travel.
int32_t clipAxisSegment(const cidc_scanLineSeg& seg, int along, int64_t fixed, int64_t fixedLo,
                        int64_t fixedHi, int64_t lo, int64_t hi, bool forward,
                        cidc_scanLineSeg* out) {
  if (fixed < fixedLo || fixed > fixedHi) return cidc_scanLineSeg_initDegen(out);
  const int64_t a = along == 0 ? seg.pt[0].x : seg.pt[0].y;
  const int64_t b = along == 0 ? seg.pt[1].x : seg.pt[1].y;
  const int64_t start = forward ? std::max(a, lo) : std::min(a, hi);
  const int64_t end = forward ? std::min(b, hi) : std::max(b, lo);
  if (forward ? end <= start : start <= end) return cidc_scanLineSeg_initDegen(out);
  cidc_point64 pt[2] = {seg.pt[0], seg.pt[1]};
  (along == 0 ? pt[0].x : pt[0].y) = start;
  (along == 0 ? pt[1].x : pt[1].y) = end;
  const cidc_scanLine line = seg.line;
  return cidc_scanLineSeg_initPoints(out, pt, &line);
}

// Widens the cut fractions t0 (<= 0, of the start) and t1 (>= 0, of the end) by what one
// axis cuts off, for end coordinates a, b and bounds [lo, hi] (low 32 bits).
void cutAxis(int32_t a, int32_t b, int32_t lo, int32_t hi, int32_t& t0, int32_t& t1) {
  const int64_t d = int64_t{b} - a;
  auto widen = [](int32_t& t, int64_t f) {
    if ((f < 0 ? -f : f) > (t < 0 ? -int64_t{t} : int64_t{t})) t = static_cast<int32_t>(f);
  };
  if (d == 0) {
    if (a < lo || a > hi) {
      t0 = -one;
      t1 = one;
    }
  } else if (d > 0) {
    if (lo - int64_t{a} > 0) widen(t0, (std::min(lo - int64_t{a}, d) << 16) / -d);
    if (int64_t{b} - hi > 0) widen(t1, (std::min(int64_t{b} - hi, d) << 16) / d);
  } else {
    if (lo - int64_t{b} > 0) widen(t1, (std::min(lo - int64_t{b}, -d) << 16) / -d);
    if (int64_t{a} - hi > 0) widen(t0, (std::min(int64_t{a} - hi, -d) << 16) / d);
  }
}

// -((d * t) >> 16) with the product in 32 bits, as the cut moves an end.
int32_t cutMove(int32_t d, int32_t t) {
  const int32_t product = static_cast<int32_t>(static_cast<uint32_t>(d) * static_cast<uint32_t>(t));
  return -(product >> 16);
}

}  // namespace

extern "C" int32_t cidc_scanLineSeg_clip(const cidc_scanLineSeg* seg, const cidc_windowROI* roi,
                                         cidc_scanLineSeg* out) {
  CIDUT_CHECK(seg != nullptr);
  CIDUT_CHECK(roi != nullptr);
  CIDUT_CHECK(out != nullptr);
  const cidc_scanLine& line = seg->line;
  if (line.dir.x == 0)
    return clipAxisSegment(*seg, 1, line.footX, roi->loX16, roi->hiX16, roi->loY16, roi->hiY16,
                           line.dir.y > 0, out);
  if (line.dir.y == 0)
    return clipAxisSegment(*seg, 0, line.footY, roi->loY16, roi->hiY16, roi->loX16, roi->hiX16,
                           line.dir.x > 0, out);

  const int32_t ax = static_cast<int32_t>(seg->pt[0].x), bx = static_cast<int32_t>(seg->pt[1].x);
  const int32_t ay = static_cast<int32_t>(seg->pt[0].y), by = static_cast<int32_t>(seg->pt[1].y);
  int32_t t0 = 0, t1 = 0;
  cutAxis(ax, bx, static_cast<int32_t>(roi->loX16), static_cast<int32_t>(roi->hiX16), t0, t1);
  cutAxis(ay, by, static_cast<int32_t>(roi->loY16), static_cast<int32_t>(roi->hiY16), t0, t1);
  CIDUT_CHECK(t0 <= 0);
  CIDUT_CHECK(t1 >= 0);
  if (int64_t{t1} - t0 >= one) return cidc_scanLineSeg_initDegen(out);

  const int32_t dx = static_cast<int32_t>(static_cast<uint32_t>(bx) - static_cast<uint32_t>(ax));
  const int32_t dy = static_cast<int32_t>(static_cast<uint32_t>(by) - static_cast<uint32_t>(ay));
  cidc_point64 pt[2] = {seg->pt[0], seg->pt[1]};
  const int32_t t[2] = {t0, t1};
  for (int i = 0; i < 2; ++i) {
    if (t[i] == 0) continue;
    pt[i].x += cutMove(dx, t[i]);
    pt[i].y += cutMove(dy, t[i]);
  }
  const cidc_scanLine carrier = line;
  return cidc_scanLineSeg_initPoints(out, pt, &carrier);
}
