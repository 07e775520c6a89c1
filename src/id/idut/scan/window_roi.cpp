// Window ROIs: the margin-reduced part of an image window in scan coordinates, with the
// 1/16 px bounds that clipping works against.
#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"

namespace {

// One axis of a ROI, as references into the record.
struct roiAxis {
  int32_t& min;
  int32_t& max;
  int32_t& size;
  int64_t& span16;
  int64_t& lo16;
  int64_t& hi16;
  int64_t& halfSpan16;
  int64_t& margin16;
};

roiAxis xAxis(cidc_windowROI* roi) {
  return {roi->minX,  roi->maxX,  roi->width,       roi->spanX16,
          roi->loX16, roi->hiX16, roi->halfSpanX16, roi->marginX16};
}

roiAxis yAxis(cidc_windowROI* roi) {
  return {roi->minY,  roi->maxY,  roi->height,      roi->spanY16,
          roi->loY16, roi->hiY16, roi->halfSpanY16, roi->marginY16};
}

// Usable pixels [margin, margin + inner) of the window, which starts toWindow scan pixels
// before the origin.
void initAxis(const roiAxis& axis, int32_t margin, int32_t inner, int32_t toWindow) {
  axis.min = margin - toWindow;
  axis.max = axis.min + inner;
  axis.size = inner;
  axis.lo16 = 16 * int64_t{axis.min} + 8;
  axis.hi16 = 16 * int64_t{axis.max} - 8;
  axis.span16 = axis.hi16 - axis.lo16;
  axis.halfSpan16 = axis.span16 >> 1;
  axis.margin16 = 16 * int64_t{margin};
}

void shrinkAxis(const roiAxis& axis, int64_t shrink16) {
  if (shrink16 <= axis.margin16) return;
  axis.span16 -= 2 * shrink16;
  axis.lo16 += shrink16;
  axis.hi16 -= shrink16;
  axis.halfSpan16 -= shrink16;
  axis.min = static_cast<int32_t>(axis.lo16 >> 4);
  axis.max = static_cast<int32_t>(((axis.hi16 - 1) >> 4) + 1);
  axis.size = axis.max - axis.min;
  axis.margin16 = shrink16;
  CIDUT_CHECK(axis.span16 >= 0);
  CIDUT_CHECK(axis.size >= 0);
}

}  // namespace

extern "C" int32_t cidc_windowROI_init(cidc_windowROI* roi, const cimg_windowConst* window,
                                       int32_t marginX, int32_t marginY, int32_t originX,
                                       int32_t originY) {
  CIDUT_CHECK(roi != nullptr);
  CIDUT_CHECK(window != nullptr);
  const int32_t innerW = window->width - 2 * marginX;
  const int32_t innerH = window->height - 2 * marginY;
  CIDUT_CHECK(innerW >= 2);
  CIDUT_CHECK(innerH >= 2);
  roi->toWindowX = originX - window->x0;
  roi->toWindowY = originY - window->y0;
  roi->originX = originX;
  roi->originY = originY;
  initAxis(xAxis(roi), marginX, innerW, roi->toWindowX);
  initAxis(yAxis(roi), marginY, innerH, roi->toWindowY);
  return 0;
}

extern "C" int32_t cidc_windowROI_initCenter(cidc_windowROI* roi, const cimg_windowConst* window,
                                             int32_t marginX, int32_t marginY) {
  CIDUT_CHECK(window != nullptr);
  return cidc_windowROI_init(roi, window, marginX, marginY, window->width / 2 + window->x0,
                             window->height / 2 + window->y0);
}

extern "C" int32_t cidc_windowROI_initCorner(cidc_windowROI* roi, const cimg_windowConst* window,
                                             int32_t marginX, int32_t marginY) {
  CIDUT_CHECK(window != nullptr);
  return cidc_windowROI_init(roi, window, marginX, marginY, window->x0, window->y0);
}

extern "C" int32_t cidc_windowROI_initSameOrigin(cidc_windowROI* roi,
                                                 const cimg_windowConst* window,
                                                 const cidc_windowROI* other, int32_t marginX,
                                                 int32_t marginY) {
  CIDUT_CHECK(other != nullptr);
  return cidc_windowROI_init(roi, window, marginX, marginY, other->originX, other->originY);
}

extern "C" int32_t cidc_windowROI_initCopyShrink(cidc_windowROI* dst, const cidc_windowROI* src,
                                                 const int64_t* shrinkX16,
                                                 const int64_t* shrinkY16) {
  CIDUT_CHECK(dst != nullptr);
  CIDUT_CHECK(src != nullptr);
  CIDUT_CHECK(shrinkX16 != nullptr);
  CIDUT_CHECK(shrinkY16 != nullptr);
  const int64_t shrinkX = *shrinkX16;  // read before dst (which may be src) is written
  const int64_t shrinkY = *shrinkY16;
  *dst = *src;
  shrinkAxis(yAxis(dst), shrinkY);
  shrinkAxis(xAxis(dst), shrinkX);
  return 0;
}
