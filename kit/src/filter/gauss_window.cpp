// Gaussian smoothing between window records over the region where the kernels lie inside
// the source, with the options of the flags word, and that region.
#include "internal.h"

namespace {

// Kernel size and step along one axis, as the flags select them.
struct axisChoice {
  int32_t size;
  int32_t step;
};

axisChoice chooseAxis(int32_t flags, int32_t axisFlag, int32_t size, int32_t sample) {
  if (!(flags & axisFlag)) return axisChoice{0, 1};
  return axisChoice{size, cip_filterStep(sample, flags)};
}

int32_t keptCount(int32_t length, int32_t taps, int32_t step) {
  return length < taps ? 0 : (length - taps) / step + 1;
}

}  // namespace

extern "C" int32_t cfGaussGetDstReg(const csIRegion* source, int32_t xSize, int32_t xStep,
                                    int32_t ySize, int32_t yStep, csIRegion* destination) {
  CIP_FILTER_CHECK(source != nullptr && destination != nullptr);
  CIP_FILTER_CHECK(xSize >= 0 && ySize >= 0 && xStep >= 1 && yStep >= 1);
  // ceil((length - 2 size) / step) = the kernels that fit, one of every step.
  *destination = csIRegion{source->x + xSize, source->y + ySize,
                           keptCount(source->width, 2 * xSize + 1, xStep),
                           keptCount(source->height, 2 * ySize + 1, yStep)};
  return 0;
}

extern "C" int32_t cip_gauss(const cimg_windowConst* source, const cimg_window* destination,
                             const csGaussParams* params, csVImageClientCoords* placement) {
  CIP_FILTER_CHECK(source != nullptr && destination != nullptr && params != nullptr);
  cip_filterCheckFlags(params->flags);
  CIP_FILTER_CHECK(params->xSize >= 0 && params->xSize <= CS_GAUSS_MAX_SIZE);
  CIP_FILTER_CHECK(params->ySize >= 0 && params->ySize <= CS_GAUSS_MAX_SIZE);
  CIP_FILTER_CHECK(params->xSample >= 0 && params->ySample >= 0);
  CIP_FILTER_CHECK(source->pixelType == CIMG_TYPE_8);
  const int32_t flags = params->flags;
  const uint64_t gain16 = cip_filterGain16((flags & CS_FILTER_GAIN) ? params->gain : 1.0);
  const axisChoice cx = chooseAxis(flags, CS_FILTER_X, params->xSize, params->xSample);
  const axisChoice cy = chooseAxis(flags, CS_FILTER_Y, params->ySize, params->ySample);

  csIRegion in, region;
  csIRegionCT(&in, source->x0, source->y0, source->width, source->height);
  cfGaussGetDstReg(&in, cx.size, cx.step, cy.size, cy.step, &region);
  const cip_filterAxis x{2 * cx.size + 1, cx.step, 0, region.width};
  const cip_filterAxis y{2 * cy.size + 1, cy.step, 0, region.height};
  if (!csIRegionIsNull(&region)) {
    if (const int32_t status = cip_filterCheckDestination(*source, *destination, x, y); status < 0)
      return status;
    const bool round = flags & CS_FILTER_ROUND;
    if (const int32_t status = cip_binomialSmooth8(*source, *destination, x, y, gain16, round);
        status < 0)
      return status;
  }
  if (placement != nullptr) cip_filterPlacement(in, x, y, placement);
  return 0;
}
