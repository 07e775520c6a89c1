// Methods 0 and 1 of the binarization: one threshold for the whole image, the middle of
// its grey range or its within-group-variance (Otsu) threshold.
#include "id/idut/prep/binarize_methods.h"
#include "kit/pel.h"
#include "kit/thresh.h"

int32_t cidut_binarizeGlobal(const cimg_imageConst* source, const cimg_windowConst& in,
                             const cimg_window& out, int32_t method) {
  int32_t threshold = 0;
  if (method == CIDUT_BINARIZE_GLOBAL_MIDRANGE) {
    uint8_t minimum = 0, maximum = 0;
    if (const int32_t status = cip_pelUnaryMinMax8(&in, &minimum, &maximum); status < 0)
      return status;
    threshold = (minimum + maximum) / 2;
  } else {
    cip_threshParams params;
    cip_threshResult result;
    if (const int32_t status = cip_threshParams_init(&params); status < 0) return status;
    if (const int32_t status = cip_threshComputeWGVThresholdFromImage(source, &params, &result);
        status < 0)
      return status;
    threshold = result.threshold;
  }
  uint8_t table[256];
  cidut_binarizeStepTable(threshold, table);
  return cip_pelMap8(&in, &out, table);
}
