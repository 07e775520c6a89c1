// Gaussian and box low-pass smoothing through the kit's filters: the parameter records the
// library fills, the memory test between source and destination, and the result image
// placed in the source's client coordinates.
#include <stdint.h>

#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "id/idut/prep/pixel_images.h"
#include "kit/filter.h"

namespace {

// Samplings the library passes: steps of 1 .. 25 (Gaussian) and 1 .. 66 (box), as counts
// of skipped pixels.
constexpr int32_t maxGaussSkip = 24;
constexpr int32_t maxBoxSkip = 65;

// The bytes from a window's first pixel to height x stride further: [*begin, *end).
template <class Window>
void byteRange(const Window& w, uintptr_t* begin, uintptr_t* end) {
  *begin = reinterpret_cast<uintptr_t>(w.pixels);
  *end = *begin + uintptr_t(int64_t{w.height} * w.stride * w.pixelType);
}

// The source window and the memory test: the source's byte range may neither start nor end
// inside a bound destination's.
int32_t filterInput(const cimg_imageConst* source, const cimg_image* destination,
                    cimg_windowConst* in) {
  if (const int32_t status = cidut_pixelInputWindow(source, in); status < 0) return status;
  int32_t bound = 0;
  cimg_image_getIsBound(destination, &bound);
  if (!bound) return 0;
  cimg_window out;
  if (const int32_t status = cimg_window_init(&out, destination); status < 0) return status;
  uintptr_t sourceBegin, sourceEnd, destinationBegin, destinationEnd;
  byteRange(*in, &sourceBegin, &sourceEnd);
  byteRange(out, &destinationBegin, &destinationEnd);
  const bool startsInside = sourceBegin >= destinationBegin && sourceBegin < destinationEnd;
  const bool endsInside = sourceEnd > destinationBegin && sourceEnd <= destinationEnd;
  return startsInside || endsInside ? CIDUT_ERR_MEMORY_OVERLAP : 0;
}

// The result's image-from-client transform: the placement maps the result's pixel grid to
// the source's image coordinates, the source's transform takes client coordinates there.
int32_t placedXform(const cimg_imageConst* source, const csVImageClientCoords& placement,
                    cmath_xformLinear* imageFromClient) {
  const cmath_vect& o = placement.origin;
  cmath_matrix steps;
  cmath_matrix_init(&steps, placement.xEnd.x - o.x, placement.yEnd.x - o.x, placement.xEnd.y - o.y,
                    placement.yEnd.y - o.y);
  cmath_xformLinear sourceFromResult, resultFromSource;
  cmath_xformLinear_initMatrixTrans(&sourceFromResult, &steps, &o);
  if (const int32_t status = cmath_xformLinear_getInverse(&sourceFromResult, &resultFromSource);
      status < 0)
    return status;
  if (const int32_t status = cimg_imageConst_getLinearImageFromClientXform(source, imageFromClient);
      status < 0)
    return status;
  return cmath_xformLinear_initCompose(imageFromClient, &resultFromSource, imageFromClient);
}

// Runs filter(in, out, placement) into a new image of the region's size and hands it to the
// destination; a null region leaves the destination as it is.
template <class Filter>
int32_t filterInto(const cimg_imageConst* source, cimg_image* destination,
                   const cimg_windowConst& in, const csIRegion& region, Filter filter) {
  if (csIRegionIsNull(&region)) return 0;
  ccCleanupFrame<1> frame;
  cimg_image result;
  cimg_window out;
  csVImageClientCoords placement;
  cmath_xformLinear imageFromClient;
  if (frame.failed(
          cidut_pixelNewImage(frame, &result, CIMG_TYPE_8, region.width, region.height, &out)) ||
      frame.failed(filter(&in, &out, &placement)) ||
      frame.failed(placedXform(source, placement, &imageFromClient)) ||
      frame.failed(cimg_image_setLinearImageFromClientXform(&result, &imageFromClient)))
    return frame.exit();
  frame.failed(cimg_image_assign(destination, &result));
  return frame.exit();
}

int32_t boxFilter(const cimg_imageConst* source, cimg_image* destination, int32_t xSize,
                  int32_t xParameter, int32_t ySize, int32_t yParameter, double gain) {
  CIDUT_CHECK(source != nullptr && destination != nullptr);
  csPlpfParams params = csPlpfParamsNull;
  params.xSize = xSize;
  params.xSample = cxfILimit(xParameter, 0, maxBoxSkip);
  params.ySize = ySize;
  params.ySample = cxfILimit(yParameter, 0, maxBoxSkip);
  params.flags = CS_FILTER_STANDARD;
  params.gain = gain;

  cimg_windowConst in;
  if (const int32_t status = filterInput(source, destination, &in); status < 0) return status;
  csIRegion sourceRegion, region;
  csIRegionCT(&sourceRegion, in.x0, in.y0, in.width, in.height);
  cfPlpfComputeDstReg(&sourceRegion, &params, &region);
  return filterInto(
      source, destination, in, region,
      [&](const cimg_windowConst* from, const cimg_window* to, csVImageClientCoords* placement) {
        return cip_plpf(from, to, &params, placement);
      });
}

}  // namespace

extern "C" int32_t cidut_ip_gauss8(const cimg_imageConst* source, cimg_image* destination,
                                   int32_t xSize, int32_t xSampling, int32_t ySize,
                                   int32_t ySampling) {
  CIDUT_CHECK(source != nullptr && destination != nullptr);
  csGaussParams params = csGaussParamsNull;
  params.xSize = xSize;
  params.xSample = cxfILimit(xSampling, 0, maxGaussSkip);
  params.ySize = ySize;
  params.ySample = cxfILimit(ySampling, 0, maxGaussSkip);
  params.flags = CS_FILTER_STANDARD;
  params.gain = 1.0;
  params.sampling = 1;

  cimg_windowConst in;
  if (const int32_t status = filterInput(source, destination, &in); status < 0) return status;
  csIRegion sourceRegion, region;
  csIRegionCT(&sourceRegion, in.x0, in.y0, in.width, in.height);
  cfGaussGetDstReg(&sourceRegion, xSize, params.xSample + 1, ySize, params.ySample + 1, &region);
  return filterInto(
      source, destination, in, region,
      [&](const cimg_windowConst* from, const cimg_window* to, csVImageClientCoords* placement) {
        return cip_gauss(from, to, &params, placement);
      });
}

extern "C" int32_t cidut_ip_plpf8(const cimg_imageConst* source, cimg_image* destination,
                                  int32_t xSize, int32_t xParameter, int32_t ySize,
                                  int32_t yParameter) {
  return boxFilter(source, destination, xSize, xParameter, ySize, yParameter, 1.0);
}

extern "C" int32_t cidut_ip_plpf8Mask(const cimg_imageConst* source, cimg_image* destination,
                                      int32_t xSize, int32_t xParameter, int32_t ySize,
                                      int32_t yParameter) {
  return boxFilter(source, destination, xSize, xParameter, ySize, yParameter, 256.0);
}
