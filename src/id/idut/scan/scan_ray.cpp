// Scan rays: a line with a start point, and its clipping against a window ROI.
#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"

extern "C" int32_t cidc_scanRay_init(cidc_scanRay* ray) {
  CIDUT_CHECK(ray != nullptr);
  cidc_scanLine_init(&ray->line);
  ray->origin = {0, 0};
  return 0;
}

extern "C" int32_t cidc_scanRay_initPointDir(cidc_scanRay* ray, const cidc_point64* point,
                                             const cidc_unitDir16* dir, const cidc_scanLine* line) {
  CIDUT_CHECK(ray != nullptr);
  CIDUT_CHECK(point != nullptr);
  CIDUT_CHECK(dir != nullptr);
  const cidc_point64 origin = *point;
  if (line == nullptr) {
    if (const int32_t status = cidc_scanLine_initPointDir(&ray->line, &origin, dir); status < 0)
      return status;
  } else {
    ray->line = *line;
  }
  ray->origin = origin;
  return 0;
}

extern "C" int32_t cidc_scanRay_clip(const cidc_scanRay* ray, const cidc_windowROI* roi,
                                     cidc_scanLineSeg* out) {
  CIDUT_CHECK(ray != nullptr);
  CIDUT_CHECK(roi != nullptr);
  CIDUT_CHECK(out != nullptr);
  const cidc_scanRay r = *ray;
  if (const int32_t status = cidc_scanLine_clip(&r.line, roi, out); status < 0) return status;
  const cidc_point64 o = r.origin;
  const bool inside =
      roi->loX16 <= o.x && o.x <= roi->hiX16 && roi->loY16 <= o.y && o.y <= roi->hiY16;
  if (!inside || out->isDegenerate) return 0;
  // Keep the part ahead of the origin (behind it when the origin lies on the exit).
  const int64_t ahead = (out->pt[1].x - o.x) * r.line.dir.x + (out->pt[1].y - o.y) * r.line.dir.y;
  const cidc_point64 pt[2] = {ahead > 0 ? o : out->pt[0], ahead > 0 ? out->pt[1] : o};
  return cidc_scanLineSeg_initPoints(out, pt, &r.line);
}
