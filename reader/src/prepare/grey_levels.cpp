// The grey levels of an image, from the library's threshold and histogram statistics.
#include "idread/grey_levels.h"

#include "ci_id/priv/ci_idut/prep.h"
#include "kit/pel.h"

int32_t idread_measureGreyLevels(const cimg_imageConst* image, int32_t percent,
                                 idread_greyLevels* levels) {
  cid_thresholdResult otsu;
  uint32_t histogram[256] = {};
  cimg_windowConst window;
  idread_greyLevels measured;
  int32_t status = cid_threshold(image, &otsu);
  if (status >= 0) status = cimg_windowConst_init(&window, image);
  if (status >= 0) status = cip_pelHistogram8(&window, histogram);
  if (status >= 0)
    status = cidut_getDarkLightMeanPercent_(histogram, 256, percent, percent, &measured.darkMean,
                                            &measured.lightMean, &measured.darkDeviation,
                                            &measured.lightDeviation);
  if (status >= 0)
    status = cidut_getImageSharpnessFromSymbolRegion_(image, 0, &measured.sharpness);
  if (status < 0) return status;
  measured.threshold = otsu.threshold;
  measured.separability = otsu.quality;
  *levels = measured;
  return 0;
}
