// Set-up of the segment walker.
#include "id/idut/scan/line_walk.h"

#include <utility>

#include "id/idut/frame/check.h"

int32_t cidc_lineWalk_init(cidc_lineWalk* walk, const cidc_windowROI* roi,
                           const cidc_scanShape* shape, int32_t rowStride) {
  CIDUT_CHECK(walk != nullptr);
  CIDUT_CHECK(roi != nullptr);
  CIDUT_CHECK(shape != nullptr);
  if (const int32_t status = cidc_scanShape_clip(shape, roi, &walk->seg); status < 0) return status;
  walk->x0 = walk->seg.pix[0].x;
  walk->y0 = walk->seg.pix[0].y;
  walk->x1 = walk->seg.pix[1].x;
  walk->y1 = walk->seg.pix[1].y;
  walk->dMajor = walk->x1 > walk->x0 ? walk->x1 - walk->x0 : walk->x0 - walk->x1;
  walk->dMinor = walk->y1 > walk->y0 ? walk->y1 - walk->y0 : walk->y0 - walk->y1;
  walk->endMajor = walk->x1;
  walk->stepMajor = walk->x0 < walk->x1 ? 1 : -1;
  walk->stepMinor = walk->y0 < walk->y1 ? 1 : -1;
  walk->offMajor = walk->stepMajor;
  walk->offMinor = walk->stepMinor * rowStride;
  walk->steep = walk->dMajor < walk->dMinor ? 1 : 0;
  if (walk->steep) {
    std::swap(walk->stepMajor, walk->stepMinor);
    std::swap(walk->dMajor, walk->dMinor);
    std::swap(walk->offMajor, walk->offMinor);
    walk->endMajor = walk->y1;
  }
  return 0;
}
