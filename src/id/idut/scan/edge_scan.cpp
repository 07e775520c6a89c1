// Edge scans over an 8-bit image: the grey-level derivative along a clipped scan shape fed
// to the peak detector. Axis-aligned shapes step a pixel pointer by 1 or the row stride;
// other shapes follow the segment walker. Sample k is the pixel k steps from the start on
// the dominant axis, at along position out.pos[0].along + 16 k.
#include <stddef.h>

#include "ci_id/priv/ci_idut/scan.h"
#include "id/idut/frame/check.h"
#include "id/idut/scan/directional_derivative.h"
#include "id/idut/scan/line_walk.h"
#include "id/idut/scan/peak_detector.h"

namespace {

// The pixels of an axis-aligned scan: n + 1 pixels from start, step apart, with across the
// offset to the neighbouring row or column.
struct axisPath {
  const uint8_t* start;
  ptrdiff_t step;
  ptrdiff_t across;
  int32_t n;
};

// Along-scan difference of 1-2-1 smoothed levels S: sample k = S(k + 1) - S(k - 1), so a
// step of height h reaches 4 h, reported as 16 h.
int32_t scanAxis1D(const axisPath& path, int32_t threshold, int32_t alongOffset,
                   cstd_vector_cidc_peakIDFixedX_4* peaks) {
  const ptrdiff_t across = path.across;
  auto smoothed = [across](const uint8_t* p) { return p[-across] + 2 * p[0] + p[across]; };
  // Before the step of sample k these hold S(k - 2), S(k - 1), S(k); p is the pixel of S(k).
  const uint8_t* p = path.start + path.step;
  int32_t sBefore = smoothed(path.start - path.step);
  int32_t sPrev = smoothed(path.start);
  int32_t sCur = smoothed(p);
  cidc_peakDetectState state;
  if (const int32_t status = cidc_peakDetectState_init(&state, peaks, sCur - sBefore, path.n + 1);
      status < 0)
    return status;
  const int32_t t = static_cast<int16_t>(threshold >> 2);
  const cidc_peakScale scale{alongOffset, 2, 0};
  for (int32_t k = 1; k <= path.n; ++k) {
    p += path.step;
    const int32_t sNext = smoothed(p);
    cidc_peakDetectState_step(&state, static_cast<int16_t>(sNext - sPrev), t, sCur >> 2,
                              sBefore >> 2, scale);
    sBefore = sPrev;
    sPrev = sCur;
    sCur = sNext;
  }
  return cidc_peakDetectState_finish(&state, peaks);
}

// The Sobel derivative projected on the caller's direction at each pixel of the path;
// reported divided by 8.
int32_t scanAxisProjected(const axisPath& path, const cidc_derivativeWeights& weights,
                          ptrdiff_t stride, int32_t threshold, int32_t alongOffset,
                          cstd_vector_cidc_peakIDFixedX_4* peaks) {
  const uint8_t* p = path.start;
  cidc_peakDetectState state;
  if (const int32_t status = cidc_peakDetectState_init(
          &state, peaks, cidc_directionalDerivative(p, stride, weights), path.n + 1);
      status < 0)
    return status;
  const int32_t t = static_cast<int16_t>(threshold << 3);
  const cidc_peakScale scale{alongOffset, 0, 3};
  int32_t levelBefore = p[0];  // P(k - 2); no peak can form at sample 1
  int32_t levelPrev = p[0];    // P(k - 1)
  for (int32_t k = 1; k <= path.n; ++k) {
    p += path.step;
    const int32_t level = p[0];
    cidc_peakDetectState_step(&state, cidc_directionalDerivative(p, stride, weights), t, level,
                              levelBefore, scale);
    levelBefore = levelPrev;
    levelPrev = level;
  }
  return cidc_peakDetectState_finish(&state, peaks);
}

// Any other direction: the projected derivative at each pixel of the segment walk.
int32_t scanGeneral(const cimg_windowConst& window, const cidc_windowROI* roi,
                    const cidc_scanShape* shape, const cidc_derivativeWeights& weights,
                    int32_t threshold, cstd_vector_cidc_peakIDFixedX_4* peaks,
                    cidc_scanLineSeg* out) {
  const ptrdiff_t stride = window.stride;
  cidc_lineWalk walk;
  if (const int32_t status = cidc_lineWalk_init(&walk, roi, shape, window.stride); status < 0)
    return status;
  *out = walk.seg;
  const int32_t n = walk.dMajor + 1;
  if (n < 3) return 0;
  CIDUT_CHECK(!out->isDegenerate);
  const uint8_t* p = static_cast<const uint8_t*>(window.pixels) +
                     ptrdiff_t{walk.y0 + roi->toWindowY} * stride + (walk.x0 + roi->toWindowX);
  cidc_peakDetectState state;
  if (const int32_t status = cidc_peakDetectState_init(
          &state, peaks, cidc_directionalDerivative(p, stride, weights), n);
      status < 0)
    return status;
  const cidc_peakScale scale{static_cast<int32_t>(out->pos[0].along), 0, 3};
  const int32_t t = threshold << 3;
  int32_t position[2] = {walk.x0, walk.y0};
  int32_t error = 0;
  int32_t levelBefore = p[0];  // P(k - 2); no peak can form at sample 1
  int32_t levelPrev = p[0];    // P(k - 1)
  for (int32_t k = 1; k < n; ++k) {
    int32_t moved = 0;
    cidc_lineWalk_step(&walk, position, &error, &moved, &p);
    CIDUT_CHECK(moved == 1);
    const int32_t level = p[0];
    cidc_peakDetectState_step(&state, cidc_directionalDerivative(p, stride, weights), t, level,
                              levelBefore, scale);
    levelBefore = levelPrev;
    levelPrev = level;
  }
  return cidc_peakDetectState_finish(&state, peaks);
}

}  // namespace

extern "C" int32_t cidc_runEdgeScan(const cimg_imageConst* image, const cidc_windowROI* roi,
                                    const int32_t* threshold, const cidc_scanShape* shape,
                                    const int16_t direction[2],
                                    cstd_vector_cidc_peakIDFixedX_4* peaks, cidc_scanLineSeg* out) {
  CIDUT_CHECK(image != nullptr);
  CIDUT_CHECK(roi != nullptr);
  CIDUT_CHECK(threshold != nullptr);
  CIDUT_CHECK(shape != nullptr);
  CIDUT_CHECK(direction != nullptr);
  CIDUT_CHECK(peaks != nullptr);
  CIDUT_CHECK(out != nullptr);
  CIDUT_CHECK(shape->line != nullptr);
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, image); status < 0) return status;
  const cidc_derivativeWeights weights = cidc_derivativeWeights_init(direction[0], direction[1]);
  const cidc_unitDir16 u = shape->line->dir;
  if (u.x != 0 && u.y != 0) return scanGeneral(window, roi, shape, weights, *threshold, peaks, out);

  if (const int32_t status = cidc_scanShape_clip(shape, roi, out); status < 0) return status;
  if (out->isDegenerate) return 0;
  const bool horizontal = u.y == 0;
  const int32_t x0 = out->pix[0].x + roi->toWindowX;
  const int32_t y0 = out->pix[0].y + roi->toWindowY;
  const int32_t first = horizontal ? x0 : y0;
  const int32_t last = horizontal ? out->pix[1].x + roi->toWindowX : out->pix[1].y + roi->toWindowY;
  if (first == last) return 0;
  const ptrdiff_t stride = window.stride;
  const ptrdiff_t step = horizontal ? 1 : stride;
  const axisPath path{static_cast<const uint8_t*>(window.pixels) + ptrdiff_t{y0} * stride + x0,
                      first < last ? step : -step, horizontal ? stride : 1,
                      first < last ? last - first : first - last};
  const int32_t alongOffset = static_cast<int32_t>(out->pos[0].along);
  const int16_t acrossComponent = horizontal ? direction[1] : direction[0];
  if (acrossComponent == 0) return scanAxis1D(path, *threshold, alongOffset, peaks);
  return scanAxisProjected(path, weights, stride, *threshold, alongOffset, peaks);
}
