// Gaussian smoothing of an image handle's window with sub-sampling, the border extended by
// its own pixels; and the kit's Gaussian parameter records.
#include "internal.h"
#include "kit/pel.h"

extern "C" {
const csGaussParams csGaussParamsNull = {0, 0, 0, 0, 0, 1.0, 1};
const csGaussParams csGaussParamsDefault = {1, 0, 1, 0, 0, 1.0, 1};
}

namespace {

// Kept pixel i of a window side of length pixels is the centre of cell i of sample pixels.
cip_filterAxis smoothingAxis(int32_t size, int32_t sample, int32_t length) {
  const int32_t step = sample < 1 ? 1 : sample;
  return cip_filterAxis{2 * size + 1, step, (step - 1) / 2 - size, (length + step - 1) / step};
}

}  // namespace

extern "C" int32_t cip_gauss_smooth8_8(const cimg_imageConst* source, cimg_image* destination,
                                       const csGaussParams* params) {
  CIP_FILTER_CHECK(source != nullptr && destination != nullptr && params != nullptr);
  CIP_FILTER_CHECK(params->xSize >= 0 && params->xSize <= CS_GAUSS_MAX_SIZE);
  CIP_FILTER_CHECK(params->ySize >= 0 && params->ySize <= CS_GAUSS_MAX_SIZE);
  CIP_FILTER_CHECK(params->xSample >= 0 && params->ySample >= 0);
  const uint64_t gain16 = cip_filterGain16(params->gain);

  int32_t bound = 0;
  cimg_imageConst_getIsBound(source, &bound);
  if (!bound) return CIMG_STATUS_UNBOUND;
  cimg_windowConst in;
  if (const int32_t status = cimg_windowConst_init(&in, source); status < 0) return status;
  CIP_FILTER_CHECK(in.pixelType == CIMG_TYPE_8);
  const cip_filterAxis x = smoothingAxis(params->xSize, params->xSample, in.width);
  const cip_filterAxis y = smoothingAxis(params->ySize, params->ySample, in.height);

  int32_t destinationBound = 0;
  cimg_image_getIsBound(destination, &destinationBound);
  if (destinationBound) {
    cimg_window out;
    if (const int32_t status = cimg_window_init(&out, destination); status < 0) return status;
    if (const int32_t status = cip_filterCheckDestination(in, out, x, y); status < 0) return status;
    return cip_binomialSmooth8(in, out, x, y, gain16, true);
  }

  // A new image, handed over only when it is complete.
  cimg_image result;
  const cstd_rect32 area{in.x0, in.y0, x.count, y.count};
  int32_t status = cimg_image_constructRect(&result, CIMG_TYPE_8, &area);
  cimg_window out;
  if (status >= 0) status = cimg_window_init(&out, &result);
  if (status >= 0) status = cip_binomialSmooth8(in, out, x, y, gain16, true);
  if (status >= 0) status = cimg_image_assign(destination, &result);
  const int32_t released = cimg_image_destruct(&result);
  return status < 0 ? status : released;
}
