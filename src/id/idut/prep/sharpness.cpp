// Sharpness of a symbol image: the strongest gradients (the mean of the top tenth of the
// gradient magnitudes) against the contrast between the darkest and the lightest tenth of
// the grey levels. A step edge whose gradient spans the full contrast scores 1; blur
// spreads the step over more pixels and lowers the peak gradient.
#include <stdint.h>

#include "ci_id/priv/ci_idut/edge.h"
#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "kit/pel.h"

namespace {

constexpr int32_t levels = 256;
constexpr int32_t tailPercent = 10;

// Means of the darkest and the lightest tenth of the window's pixels (of the nonzero ones
// with ignoreBlack set).
int32_t tailMeans(const cimg_imageConst* image, bool ignoreBlack, double* dark, double* light) {
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, image); status < 0) return status;
  uint32_t histogram[levels] = {};
  if (const int32_t status = cip_pelHistogram8(&window, histogram); status < 0) return status;
  if (ignoreBlack) histogram[0] = 0;
  double darkDeviation, lightDeviation;
  return cidut_getDarkLightMeanPercent_(histogram, levels, tailPercent, tailPercent, dark, light,
                                        &darkDeviation, &lightDeviation);
}

}  // namespace

extern "C" int32_t cidut_getImageSharpnessFromSymbolRegion_(const cimg_imageConst* image,
                                                            int32_t ignoreBlack,
                                                            double* sharpness) {
  CIDUT_CHECK(image != nullptr && sharpness != nullptr);
  double dark = 0.0, light = 0.0;
  if (const int32_t status = tailMeans(image, ignoreBlack != 0, &dark, &light); status < 0) {
    return status;
  }

  cimg_image magnitude, angle;
  cimg_image_constructUnbound(&magnitude);
  cimg_image_constructUnbound(&angle);
  ccCleanupFrame<2> frame;
  frame.holdObject<cimg_image_destruct>(&magnitude);
  frame.holdObject<cimg_image_destruct>(&angle);
  const cip_edgeParams params{1.0, 0.0, 0.0};
  if (frame.failed(cip_edge_detectMagAng(image, &params, &magnitude, &angle))) {
    return frame.exit();
  }
  // A window of fewer than 3 x 3 pixels has no gradient at all.
  int32_t hasGradient = 0;
  cimg_image_getIsBound(&magnitude, &hasGradient);
  double strongest = 0.0, weakest = 0.0;
  if (hasGradient &&
      frame.failed(tailMeans(cimg_image_asConst(&magnitude), false, &weakest, &strongest))) {
    return frame.exit();
  }

  const double contrast = light - dark;
  *sharpness = contrast > 1.0 ? (strongest < contrast ? strongest / contrast : 1.0) : 0.0;
  return frame.exit();
}
