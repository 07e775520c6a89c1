// Clipping an infinite scan line against a window ROI: where it enters and leaves the box
// of usable pixel centres, in the line's direction.
#include <utility>

#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"
#include "id/idut/scan/fixed16.h"

namespace {

constexpr int64_t clipDistanceLimit = (int64_t{1} << 32) - 1;

int32_t segmentBetween(cidc_scanLineSeg* out, cidc_point64 from, cidc_point64 to,
                       const cidc_scanLine* line) {
  const cidc_point64 pt[2] = {from, to};
  return cidc_scanLineSeg_initPoints(out, pt, line);
}

}  // namespace

extern "C" int32_t cidc_scanLine_clip(const cidc_scanLine* line, const cidc_windowROI* roi,
                                      cidc_scanLineSeg* out) {
  CIDUT_CHECK(line != nullptr);
  CIDUT_CHECK(roi != nullptr);
  CIDUT_CHECK(out != nullptr);
  const cidc_scanLine carrier = *line;  // line may be out's own
  const int32_t ux = carrier.dir.x;
  const int32_t uy = carrier.dir.y;
  if (ux == 0) {
    const int64_t x = carrier.footX;
    if (x < roi->loX16 || x > roi->hiX16) return cidc_scanLineSeg_initDegen(out);
    const cidc_point64 low{x, roi->loY16}, high{x, roi->hiY16};
    return uy > 0 ? segmentBetween(out, low, high, &carrier)
                  : segmentBetween(out, high, low, &carrier);
  }
  if (uy == 0) {
    const int64_t y = carrier.footY;
    if (y < roi->loY16 || y > roi->hiY16) return cidc_scanLineSeg_initDegen(out);
    const cidc_point64 low{roi->loX16, y}, high{roi->hiX16, y};
    return ux > 0 ? segmentBetween(out, low, high, &carrier)
                  : segmentBetween(out, high, low, &carrier);
  }

  // Entry and exit corners of the box for this direction, and the way into the box from
  // each corner, per axis.
  cidc_point64 corner[2] = {{roi->loX16, roi->loY16}, {roi->hiX16, roi->hiY16}};
  int64_t inwardX = 1, inwardY = 1;
  if (ux < 0) {
    std::swap(corner[0].x, corner[1].x);
    inwardX = -1;
  }
  if (uy < 0) {
    std::swap(corner[0].y, corner[1].y);
    inwardY = -1;
  }
  const int64_t ax = cidc_abs64(ux);
  const int64_t ay = cidc_abs64(uy);
  const int64_t ex = ux > 0 ? carrier.footX - roi->loX16 : roi->hiX16 - carrier.footX;
  const int64_t ey = uy > 0 ? carrier.footY - roi->loY16 : roi->hiY16 - carrier.footY;
  CIDUT_CHECK(ex > -clipDistanceLimit && ex < clipDistanceLimit);
  CIDUT_CHECK(ey > -clipDistanceLimit && ey < clipDistanceLimit);

  // C[i] < 0: the line crosses the box's x side at corner i, -C[i] / ax from the corner in
  // y; otherwise its y side, C[i] / ay from the corner in x. Outside [B, A] it misses.
  const int64_t a = roi->spanX16 * ay;
  const int64_t b = -roi->spanY16 * ax;
  int64_t c[2];
  c[0] = ex * ay - ey * ax;
  c[1] = a + b - c[0];
  for (int i = 0; i < 2; ++i) {
    if (c[i] > a || c[i] < b) return cidc_scanLineSeg_initDegen(out);
    const int64_t sign = i == 0 ? 1 : -1;  // the exit corner's inward sides face the other way
    if (c[i] < 0) {
      CIDUT_CHECK(ax != 0);
      corner[i].y += sign * inwardY * (-c[i] / ax);
    } else {
      CIDUT_CHECK(ay != 0);
      corner[i].x += sign * inwardX * (c[i] / ay);
    }
  }
  return segmentBetween(out, corner[0], corner[1], &carrier);
}
