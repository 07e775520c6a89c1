// The true-peak image: the output rectangle and images shared by both ways of making it,
// and the edgelet way, which takes the peaks from the kit's edge detector. The portable
// way (true_peak_portable.cpp) runs when the edgelet way is inhibited or not available.
#include <algorithm>

#include "ci_id/priv/ci_idut/edge.h"
#include "id/idut/edge/true_peak_portable.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "id/idut/frame/dispatch.h"
#include "kit/pel.h"

namespace {

// Output column j lies over source column j + 1 (the source keeps one more column on each
// side). Edgelets come in source window coordinates and go to the output at (pi - 1, pj).
int32_t truePeakFromEdgelets(const cimg_imageConst* source, cimg_image* output, double scale,
                             uint8_t threshold, int32_t* count) {
  // Tie rule 1: of two equal maxima across the edge one is kept, as in the portable way.
  const cip_edgeParams params{scale, double(threshold), 1.0};
  ccCleanupFrame<2> frame;
  csEdgeList* list = nullptr;
  if (frame.failed(csEdgeListNew(0, &list))) return frame.exit();
  frame.holdPointer<csEdgeListDelete>(&list);
  if (frame.failed(cip_edge_detectEdges(source, &params, list))) return frame.exit();

  cimg_window out;
  if (frame.failed(cimg_window_init(&out, output))) return frame.exit();
  CIDUT_CHECK(out.pixelType == CIMG_TYPE_8);
  uint8_t** rows = nullptr;
  if (frame.failed(
          csys_memory_alloc_internal(sizeof(uint8_t*) * size_t(out.height), (void**)&rows))) {
    return frame.exit();
  }
  frame.holdBlock(&rows);
  for (int32_t r = 0; r < out.height; ++r) rows[r] = cimg_window_row<uint8_t>(&out, r);

  // The output is touched only once detection has succeeded.
  cmath_xformLinear imageFromClient;
  if (frame.failed(cimg_imageConst_getLinearImageFromClientXform(source, &imageFromClient)) ||
      frame.failed(cimg_image_setLinearImageFromClientXform(output, &imageFromClient)) ||
      frame.failed(cip_pelSet8(&out, 0))) {
    return frame.exit();
  }
  for (const csEdge* e = csEdgeListFirst(list); e != nullptr; e = csEdgeListNext(list, e)) {
    const int32_t column = csEdgePi(e) - 1;
    const int32_t row = csEdgePj(e);
    CIDUT_CHECK(column >= 0 && column < out.width && row >= 0 && row < out.height);
    rows[row][column] = csEdgeMag(e);
  }
  *count = csEdgeListLen(list);
  return frame.exit();
}

// Zeroes the last two rows of a new output, which the portable way leaves unwritten.
int32_t clearLastTwoRows(cimg_image* output, const cstd_rect32& area) {
  const int32_t rows = std::min(area.height, 2);
  const cstd_rect32 tail{area.x, area.y + area.height - rows, area.width, rows};
  cimg_window window;
  if (const int32_t status = cimg_window_initWindow(&window, output, &tail, nullptr); status < 0)
    return status;
  return cip_pelSet8(&window, 0);
}

}  // namespace

extern "C" int32_t cip_truepeak8(const cimg_imageConst* source, cimg_image* destination,
                                 uint8_t threshold, int32_t* count) {
  CIDUT_CHECK(source != nullptr && destination != nullptr && count != nullptr);
  // R: the source window less its first and last column, within a bound destination.
  cstd_rect32 sourceWindow;
  if (const int32_t status = cimg_imageConst_getWindow(source, &sourceWindow); status < 0)
    return status;
  cstd_rect32 area;
  cstd_rect32_init(&area, sourceWindow.x + 1, sourceWindow.y, sourceWindow.width - 2,
                   sourceWindow.height);
  int32_t bound = 0;
  cimg_image_getIsBound(destination, &bound);
  if (bound) {
    cstd_rect32 destinationWindow;
    if (const int32_t status = cimg_image_getWindow(destination, &destinationWindow); status < 0)
      return status;
    cstd_rect32_intersect(&area, &destinationWindow, &area);
  }
  int32_t empty = 0;
  cstd_rect32_getIsNull(&area, &empty);
  if (empty) return 0;

  ccCleanupFrame<2> frame;
  // The output handle: a new image at R, handed to the caller on success, or a second
  // handle on the bound destination windowed to R.
  cimg_image output;
  if (bound) {
    cimg_image_constructCopy(&output, destination);
    frame.holdObject<cimg_image_destruct>(&output);
    if (frame.failed(cimg_image_setWindowRect(&output, &area, nullptr))) return frame.exit();
  } else {
    cimg_image_constructUnbound(&output);
    frame.holdObject<cimg_image_destruct>(&output);
    if (frame.failed(cimg_image_assignNew(&output, CIMG_TYPE_8, area.width, area.height)) ||
        frame.failed(cimg_image_setWindowOrigin(&output, area.x, area.y))) {
      return frame.exit();
    }
  }
  cimg_imageConst input;
  cimg_imageConst_constructCopy(&input, source);
  frame.holdObject<cimg_imageConst_destruct>(&input);
  const cstd_rect32 inputArea{area.x - 1, area.y, area.width + 2, area.height};
  if (frame.failed(cimg_imageConst_setWindowRect(&input, &inputArea, nullptr))) {
    return frame.exit();
  }

  constexpr double scale = 1.0;
  constexpr uint8_t secondThreshold = 1;
  const int32_t status = cidut_dispatchOptimized(
      "cip_truepeak8",
      [&] { return truePeakFromEdgelets(&input, &output, scale, threshold, count); },
      [&] {
        const int32_t portable =
            cidut_truePeakPortable(&input, &output, scale, threshold, secondThreshold, count);
        // Left undefined by the operator; a new image should not show stale memory.
        if (portable < 0 || bound) return portable;
        return clearLastTwoRows(&output, area);
      });
  if (frame.failed(status)) return frame.exit();
  if (!bound) frame.failed(cimg_image_assign(destination, &output));
  return frame.exit();
}
