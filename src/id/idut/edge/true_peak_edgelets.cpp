// Sparse edge maps from the kit detector's edgelets: images of the source window that hold
// the edge magnitude at each edgelet (and, padded, at the pixel to its right), and images
// that mark where the signed gradient components along x and y are strong.
#include <cmath>

#include "ci_id/priv/ci_idut/edge.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "kit/pel.h"

namespace {

constexpr uint8_t positiveMark = 0x80;
constexpr uint8_t negativeMark = 0xC0;

enum class peakWidth { onePixel, twoPixels };

// One output, built off to the side: the image and a table of its row addresses.
struct peakOutput {
  cimg_image image;
  uint8_t** rows = nullptr;
};

// Makes output a cleared image of the source window's size and position with the source's
// linear image-from-client transform, and its row table.
template <int Capacity>
int32_t prepareOutput(ccCleanupFrame<Capacity>& frame, const cimg_imageConst* source,
                      const cimg_windowConst& window, peakOutput* output) {
  if (frame.failed(cimg_image_constructUnbound(&output->image))) return frame.status();
  frame.template holdObject<cimg_image_destruct>(&output->image);
  cimg_image* image = &output->image;
  if (frame.failed(cimg_image_assignNew(image, window.pixelType, window.width, window.height)) ||
      frame.failed(cimg_image_setWindowOrigin(image, window.x0, window.y0)))
    return frame.status();
  cmath_xformLinear imageFromClient;
  cimg_window pixels;
  if (frame.failed(cimg_imageConst_getLinearImageFromClientXform(source, &imageFromClient)) ||
      frame.failed(cimg_image_setLinearImageFromClientXform(image, &imageFromClient)) ||
      frame.failed(cimg_window_init(&pixels, image)) || frame.failed(cip_pelSet8(&pixels, 0)))
    return frame.status();
  return 0;
}

// Fills the row table of an output (a kit block held by the frame).
template <int Capacity>
int32_t buildRowTable(ccCleanupFrame<Capacity>& frame, peakOutput* output) {
  cimg_window window;
  if (frame.failed(cimg_window_init(&window, &output->image))) return frame.status();
  if (frame.failed(csys_memory_alloc_internal(size_t(window.height) * sizeof(uint8_t*),
                                              reinterpret_cast<void**>(&output->rows))))
    return frame.status();
  frame.holdBlock(&output->rows);
  void* first = nullptr;
  if (frame.failed(cimg_image_pointToOffset_internal(&output->image, 0, 0, &first)))
    return frame.status();
  for (int32_t j = 0; j < window.height; ++j)
    output->rows[j] = static_cast<uint8_t*>(first) + ptrdiff_t(j) * window.stride;
  return 0;
}

// 0x80 where a gradient component of m * unit reaches the threshold, 0xC0 where it reaches
// its negative (so with threshold 0 a zero component ends as 0xC0), else left alone.
void markComponent(uint8_t* pixel, uint8_t magnitude, float unit, int32_t threshold) {
  CIDUT_CHECK(std::fabs(unit) <= 1.0f);
  const int32_t component = int32_t(float(magnitude) * unit);
  if (component >= threshold) *pixel = positiveMark;
  if (component <= -threshold) *pixel = negativeMark;
}

// The three operations in one: the peak image, and with xImage and yImage given the two
// component images.
int32_t markTrueEdgePeaks(const cimg_imageConst* source, peakWidth width, uint8_t threshold,
                          cimg_image* peakImage, cimg_image* xImage, cimg_image* yImage) {
  int32_t bound = 0;
  cimg_imageConst_getIsBound(source, &bound);
  if (!bound) return CIDUT_ERR_IMAGE_UNBOUND;
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, source); status < 0) return status;

  const bool components = xImage != nullptr;
  const int32_t outputCount = components ? 3 : 1;
  ccCleanupFrame<7> frame;
  peakOutput outputs[3];  // peak, x, y
  for (int32_t k = 0; k < outputCount; ++k) {
    if (prepareOutput(frame, source, window, &outputs[k]) < 0) return frame.exit();
  }
  if (frame.failed(csys_attention_check())) return frame.exit();

  csEdgeList* list = nullptr;
  if (frame.failed(csEdgeListNew(0, &list))) return frame.exit();
  frame.holdPointer<csEdgeListDelete>(&list);
  const cip_edgeParams params{1.0, double(threshold), 0.0};
  if (frame.failed(cip_edge_detectEdges(source, &params, list))) return frame.exit();
  if (frame.failed(csys_attention_check())) return frame.exit();

  for (int32_t k = 0; k < outputCount; ++k) {
    if (buildRowTable(frame, &outputs[k]) < 0) return frame.exit();
  }
  uint8_t** const peak = outputs[0].rows;
  for (const csEdge* e = csEdgeListFirst(list); e; e = csEdgeListNext(list, e)) {
    const int32_t i = csEdgePi(e);
    const int32_t j = csEdgePj(e);
    const uint8_t m = csEdgeMag(e);
    peak[j][i] = m;
    if (width == peakWidth::twoPixels) peak[j][i + 1] = m;
    if (components) {
      markComponent(&outputs[1].rows[j][i], m, csEdgeDx(e), threshold);
      markComponent(&outputs[2].rows[j][i], m, csEdgeDy(e), threshold);
    }
  }
  for (int32_t k = 0; k < outputCount; ++k)
    csys_memory_free_internal(reinterpret_cast<void**>(&outputs[k].rows));

  if (components && (frame.failed(cimg_image_assign(xImage, &outputs[1].image)) ||
                     frame.failed(cimg_image_assign(yImage, &outputs[2].image))))
    return frame.exit();
  frame.failed(cimg_image_assign(peakImage, &outputs[0].image));
  return frame.exit();
}

}  // namespace

extern "C" int32_t cf_GetTrueEdgePeakFromEdgelets(const cimg_imageConst* source, cimg_image* peak,
                                                  uint8_t threshold) {
  CIDUT_CHECK(source != nullptr && peak != nullptr);
  return markTrueEdgePeaks(source, peakWidth::twoPixels, threshold, peak, nullptr, nullptr);
}

extern "C" int32_t cf_GetTrueEdgePeakFromEdgelets_noPadding(const cimg_imageConst* source,
                                                            cimg_image* peak, uint8_t threshold) {
  CIDUT_CHECK(source != nullptr && peak != nullptr);
  return markTrueEdgePeaks(source, peakWidth::onePixel, threshold, peak, nullptr, nullptr);
}

extern "C" int32_t cf_GetTrueEdgePeakXYFromEdgelets(const cimg_imageConst* source, cimg_image* peak,
                                                    cimg_image* xImage, cimg_image* yImage,
                                                    uint8_t threshold) {
  CIDUT_CHECK(source != nullptr && peak != nullptr && xImage != nullptr && yImage != nullptr);
  return markTrueEdgePeaks(source, peakWidth::twoPixels, threshold, peak, xImage, yImage);
}
