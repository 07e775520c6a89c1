// Scan segments: construction from end points or from along positions of a line, the
// degenerate segment, and translation.
#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"
#include "id/idut/scan/fixed16.h"

namespace {

// The pixel holding a 1/16 px point.
cidc_pixel32 pixelOf(const cidc_point64& p) {
  return {static_cast<int32_t>(p.x >> 4), static_cast<int32_t>(p.y >> 4)};
}

// Frame coordinates of the pixel's centre.
cidc_linePos framePosOf(const cidc_scanLine& line, const cidc_pixel32& pix) {
  const int64_t cx = 16 * int64_t{pix.x} + 8;
  const int64_t cy = 16 * int64_t{pix.y} + 8;
  return {(cx * line.projX - cy * line.projY) >> 16, (cx * line.projY + cy * line.projX) >> 16};
}

}  // namespace

extern "C" int32_t cidc_scanLineSeg_initDegen(cidc_scanLineSeg* seg) {
  CIDUT_CHECK(seg != nullptr);
  *seg = cidc_scanLineSeg{};
  cidc_scanLine_init(&seg->line);
  seg->isDegenerate = 1;
  return 0;
}

extern "C" int32_t cidc_scanLineSeg_initPoints(cidc_scanLineSeg* seg, const cidc_point64 points[2],
                                               const cidc_scanLine* line) {
  CIDUT_CHECK(seg != nullptr);
  CIDUT_CHECK(points != nullptr);
  const cidc_point64 pt[2] = {points[0], points[1]};  // the inputs may lie in seg
  if (line == nullptr) {
    cidc_unitDir16 dir;
    const int32_t dx = static_cast<int32_t>(pt[1].x - pt[0].x);
    const int32_t dy = static_cast<int32_t>(pt[1].y - pt[0].y);
    if (const int32_t status = cidc_unitDir16_initVect(&dir, dx, dy); status < 0) return status;
    if (const int32_t status = cidc_scanLine_initPointDir(&seg->line, &pt[0], &dir); status < 0)
      return status;
  } else {
    seg->line = *line;
  }
  for (int i = 0; i < 2; ++i) {
    seg->pt[i] = pt[i];
    seg->pix[i] = pixelOf(pt[i]);
    seg->pos[i] = framePosOf(seg->line, seg->pix[i]);
  }
  seg->isDegenerate = 0;
  CIDUT_CHECK(seg->pos[0].along <= seg->pos[1].along);
  return 0;
}

extern "C" int32_t cidc_scanLineSeg_initPeakPos(cidc_scanLineSeg* seg, const cidc_scanLine* line,
                                                const int64_t along[2]) {
  CIDUT_CHECK(seg != nullptr);
  CIDUT_CHECK(line != nullptr);
  CIDUT_CHECK(along != nullptr);
  cidc_point64 pt[2];
  if (line->stepX == 0) {
    for (int i = 0; i < 2; ++i) pt[i] = {line->footX, line->stepY > 0 ? along[i] : -along[i]};
  } else if (line->stepY == 0) {
    for (int i = 0; i < 2; ++i) pt[i] = {line->stepX > 0 ? along[i] : -along[i], line->footY};
  } else {
    const cidc_point64 base{cidc_mul16(line->dist, -line->dir.y),
                            cidc_mul16(line->dist, line->dir.x)};
    for (int i = 0; i < 2; ++i)
      pt[i] = {base.x + cidc_mul16(along[i], line->stepX),
               base.y + cidc_mul16(along[i], line->stepY)};
  }
  const cidc_scanLine carrier = *line;  // line may be seg's own
  return cidc_scanLineSeg_initPoints(seg, pt, &carrier);
}

extern "C" int32_t cidc_scanLineSeg_translate(const cidc_scanLineSeg* src,
                                              const cidc_point64* offset, cidc_scanLineSeg* dst) {
  cidc_scanLine moved;
  cidc_scanLine_translate(&src->line, offset, &moved);
  const cidc_point64 pt[2] = {{src->pt[0].x + offset->x, src->pt[0].y + offset->y},
                              {src->pt[1].x + offset->x, src->pt[1].y + offset->y}};
  return cidc_scanLineSeg_initPoints(dst, pt, &moved);
}
