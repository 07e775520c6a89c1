// Along positions of a clipped segment's line back to image coordinates.
#include "ci_id/priv/ci_idut/scan.h"

extern "C" int32_t cidc_convertPeakToImage(const int64_t* along, const cidc_scanLineSeg* seg,
                                           const int32_t origin[2], cmath_vect* point) {
  // (along, across) in the line frame, times step (16.16), is the 1/16 px offset from the
  // origin: 2^20 converts to pixels. across is that of the segment's start pixel.
  const int64_t a = *along;
  const int64_t b = seg->pos[0].across;
  const int64_t stepX = seg->line.stepX;
  const int64_t stepY = seg->line.stepY;
  point->x = static_cast<double>(stepX * a - stepY * b) / 1048576.0 + origin[0];
  point->y = static_cast<double>(stepY * a + stepX * b) / 1048576.0 + origin[1];
  return 0;
}
