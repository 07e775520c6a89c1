// The last step that most binarization methods share: a step lookup table, and the
// comparison of an image with a threshold image of its size.
#include "id/idut/prep/binarize_methods.h"
#include "kit/pel.h"

cimg_windowConst cidut_binarizeReadOnly(const cimg_window& w) {
  return cimg_windowConst{w.width,  w.height,    w.x0,     w.y0,
                          w.stride, w.pixelType, w.pixels, w.storage};
}

void cidut_binarizeStepTable(double threshold, uint8_t table[256]) {
  for (int32_t v = 0; v < 256; ++v) table[v] = v >= threshold ? 255 : 0;
}

int32_t cidut_binarizeAbove(const cimg_windowConst& in, const cimg_windowConst& thresholds,
                            const cimg_window& out) {
  // in - threshold, limited at 0, is non-zero exactly where in is above its threshold.
  if (const int32_t status = cip_pelSub8(&in, &thresholds, &out, CIP_SUB_CLAMP); status < 0)
    return status;
  uint8_t table[256];
  cidut_binarizeStepTable(1, table);
  const cimg_windowConst difference = cidut_binarizeReadOnly(out);
  return cip_pelMap8(&difference, &out, table);
}
