// Scan shapes: a non-owning holder of one line, segment or ray, clipped as what it holds.
#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"

extern "C" int32_t cidc_scanShape_initScanLine(cidc_scanShape* shape, const cidc_scanLine* line) {
  CIDUT_CHECK(shape != nullptr);
  CIDUT_CHECK(line != nullptr);
  *shape = {nullptr, line, nullptr};
  return 0;
}

extern "C" int32_t cidc_scanShape_initScanLineSeg(cidc_scanShape* shape,
                                                  const cidc_scanLineSeg* seg) {
  CIDUT_CHECK(shape != nullptr);
  CIDUT_CHECK(seg != nullptr);
  *shape = {seg, &seg->line, nullptr};
  return 0;
}

extern "C" int32_t cidc_scanShape_initScanRay(cidc_scanShape* shape, const cidc_scanRay* ray) {
  CIDUT_CHECK(shape != nullptr);
  CIDUT_CHECK(ray != nullptr);
  *shape = {nullptr, &ray->line, ray};
  return 0;
}

extern "C" int32_t cidc_scanShape_clip(const cidc_scanShape* shape, const cidc_windowROI* roi,
                                       cidc_scanLineSeg* out) {
  CIDUT_CHECK(shape != nullptr);
  CIDUT_CHECK(shape->seg != nullptr || shape->line != nullptr || shape->ray != nullptr);
  if (shape->seg != nullptr) return cidc_scanLineSeg_clip(shape->seg, roi, out);
  if (shape->ray != nullptr) return cidc_scanRay_clip(shape->ray, roi, out);
  return cidc_scanLine_clip(shape->line, roi, out);
}
