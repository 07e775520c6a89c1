// The front end to the kit's edge detector: default parameters, magnitude and angle images
// over the interior of a window, and edgelet lists, detected in overlapping bands with
// smaller lists when the whole image's list does not fit in memory.
#include <algorithm>

#include "ci_id/priv/ci_idut/edge.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"

namespace {

// The kit's parameter record for one detection.
csEdgeParams kitParams(const cip_edgeParams& params) {
  csEdgeParams kit;
  kit.scale = float(params.p1);
  kit.threshold = float(params.p2);
  kit.thin = float(params.p3);
  kit.flags = 0;
  kit.step = 1;
  return kit;
}

bool isBound(const cimg_imageConst* image) {
  int32_t bound = 0;
  cimg_imageConst_getIsBound(image, &bound);
  return bound != 0;
}

// Runs the detector on the current windows of the given images (null: not wanted).
int32_t detect(const cimg_imageConst* source, cimg_image* magnitude, cimg_image* angle,
               csEdgeList* list, csEdgeChains* chains, const cip_edgeParams& params) {
  cxImage95 src, mag, ang;
  if (const int32_t status = src.init(source); status < 0) return status;
  if (magnitude) {
    if (const int32_t status = mag.init(magnitude); status < 0) return status;
  }
  if (angle) {
    if (const int32_t status = ang.init(angle); status < 0) return status;
  }
  const csEdgeParams kit = kitParams(params);
  return csEdgeDetect(src, magnitude ? (csImage95*)mag : nullptr, angle ? (csImage95*)ang : nullptr,
                      list, chains, &kit);
}

// An output of cip_edge_detectMagAng, prepared for the detector: a new image of rect's size
// at its position when the caller's is unbound, and a second handle windowed to rect. A new
// image is let go again should the call fail.
template <int Capacity>
int32_t prepareOutput(ccCleanupFrame<Capacity>& frame, cimg_image* output, const cstd_rect32& rect,
                      cimg_image* windowed) {
  if (!isBound(cimg_image_asConst(output))) {
    if (frame.failed(cimg_image_assignNew(output, CIMG_TYPE_8, rect.width, rect.height)))
      return frame.status();
    frame.template holdOutput<cimg_image_setUnbound>(output);
    if (frame.failed(cimg_image_setWindowOrigin(output, rect.x, rect.y))) return frame.status();
  }
  if (frame.failed(cimg_image_constructCopy(windowed, output))) return frame.status();
  frame.template holdObject<cimg_image_destruct>(windowed);
  frame.failed(cimg_image_setWindowRect(windowed, &rect, nullptr));
  return frame.status();
}

// The list capacity for a source: half an edgelet per pixel, at least 64.
int32_t listCapacity(const cimg_windowConst& window) {
  const int64_t half = int64_t(window.width) * window.height / 2;
  return int32_t(std::clamp<int64_t>(half, 64, INT32_MAX));
}

// Detects the source window in n bands into a list of capacity edgelets (frame rule 1, so
// every band reports positions relative to the source window). The first band takes the
// rows left over by the division; each later band repeats the last 4 rows of the one before.
int32_t detectBands(const cimg_imageConst* source, const cip_edgeParams& params, int32_t n,
                    csEdgeList** list) {
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, source); status < 0) return status;
  if (window.height < n + 4) return CIDUT_ERR_NO_MEMORY;
  const int32_t bandH = window.height / n;
  const int32_t perBand = std::max<int32_t>(int32_t(int64_t(window.width) * bandH / 2), 64);
  const int32_t capacity = csEdgeListCapacity(*list);

  ccCleanupFrame<1> frame;
  cimg_imageConst band;
  if (frame.failed(cimg_imageConst_constructCopy(&band, source))) return frame.exit();
  frame.holdObject<cimg_imageConst_destruct>(&band);
  cstd_rect32 rect{window.x0, window.y0, window.width, window.height - (n - 1) * bandH};
  for (int32_t i = 0; i < n; ++i) {
    int32_t clipped = 0;
    if (frame.failed(cimg_imageConst_setWindowRect(&band, &rect, &clipped))) return frame.exit();
    CIDUT_CHECK(!clipped);
    if (frame.failed(detect(&band, nullptr, nullptr, *list, nullptr, params))) return frame.exit();
    if (i < n - 1 && capacity - csEdgeListLen(*list) < perBand) {
      csEdgeListDelete(list);
      return frame.fail(CIDUT_ERR_NO_MEMORY);
    }
    rect = cstd_rect32{rect.x, rect.y + rect.height - 4, rect.width, bandH + 4};
  }
  return frame.exit();
}

// The banded fallback: 4 bands with half the list, or 8 with a quarter when even half a
// list cannot be had.
int32_t detectEdgesBanded(const cimg_imageConst* source, const cip_edgeParams& params,
                          int32_t capacity, csEdgeList* out) {
  ccCleanupFrame<1> frame;
  csEdgeList* list = nullptr;
  int32_t bands = 4;
  int32_t status = csEdgeListNew(capacity / 2, &list);
  if (status == CIDUT_ERR_NO_MEMORY) {
    bands = 8;
    status = csEdgeListNew(capacity / 4, &list);
  }
  if (frame.failed(status)) return frame.exit();
  frame.holdPointer<csEdgeListDelete>(&list);
  if (frame.failed(csEdgeListInit(list, 1, 0))) return frame.exit();
  if (frame.failed(detectBands(source, params, bands, &list))) return frame.exit();
  frame.failed(csEdgeListAssign(out, list));
  return frame.exit();
}

}  // namespace

extern "C" int32_t cip_edgeParams_init(cip_edgeParams* params) {
  CIDUT_CHECK(params != nullptr);
  params->p1 = csEdgeParamsDefault.scale;
  params->p2 = csEdgeParamsDefault.threshold;
  params->p3 = csEdgeParamsDefault.thin;
  return 0;
}

extern "C" int32_t cip_edge_detectMagAng(const cimg_imageConst* source,
                                         const cip_edgeParams* params, cimg_image* magnitude,
                                         cimg_image* angle) {
  CIDUT_CHECK(source != nullptr && params != nullptr);
  CIDUT_CHECK(magnitude != nullptr && angle != nullptr);
  if (!isBound(source)) return CIDUT_ERR_IMAGE_UNBOUND;

  // The interior of the source window, within the bound outputs' windows.
  cstd_rect32 rect;
  if (const int32_t status = cimg_imageConst_getWindow(source, &rect); status < 0) return status;
  rect = cstd_rect32{rect.x + 1, rect.y + 1, rect.width - 2, rect.height - 2};
  for (const cimg_image* output : {magnitude, angle}) {
    if (!isBound(cimg_image_asConst(output))) continue;
    cstd_rect32 window;
    if (const int32_t status = cimg_image_getWindow(output, &window); status < 0) return status;
    cstd_rect32_intersect(&rect, &window, &rect);
  }
  int32_t isNull = 0;
  cstd_rect32_getIsNull(&rect, &isNull);
  if (isNull) return 0;

  ccCleanupFrame<5> frame;
  cimg_image mag, ang;
  if (prepareOutput(frame, magnitude, rect, &mag) < 0) return frame.exit();
  if (prepareOutput(frame, angle, rect, &ang) < 0) return frame.exit();
  cimg_imageConst src;
  if (frame.failed(cimg_imageConst_constructCopy(&src, source))) return frame.exit();
  frame.holdObject<cimg_imageConst_destruct>(&src);
  const cstd_rect32 grown{rect.x - 1, rect.y - 1, rect.width + 2, rect.height + 2};
  if (frame.failed(cimg_imageConst_setWindowRect(&src, &grown, nullptr))) return frame.exit();

  if (frame.failed(detect(&src, &mag, &ang, nullptr, nullptr, *params))) return frame.exit();
  if (frame.failed(cimg_image_copyXforms(magnitude, source))) return frame.exit();
  frame.failed(cimg_image_copyXforms(angle, source));
  return frame.exit();
}

extern "C" int32_t cip_edge_detectEdges(const cimg_imageConst* source, const cip_edgeParams* params,
                                        csEdgeList* out) {
  CIDUT_CHECK(source != nullptr && params != nullptr && out != nullptr);
  if (!isBound(source)) return CIDUT_ERR_IMAGE_UNBOUND;
  cimg_windowConst window;
  if (const int32_t status = cimg_windowConst_init(&window, source); status < 0) return status;
  const int32_t capacity = listCapacity(window);

  ccCleanupFrame<1> frame;
  csEdgeList* list = nullptr;
  const int32_t created = csEdgeListNew(capacity, &list);
  if (created == CIDUT_ERR_NO_MEMORY) return detectEdgesBanded(source, *params, capacity, out);
  if (frame.failed(created)) return frame.exit();
  frame.holdPointer<csEdgeListDelete>(&list);
  if (frame.failed(csEdgeListInit(list, 1, 0))) return frame.exit();

  const int32_t detected = detect(source, nullptr, nullptr, list, nullptr, *params);
  if (detected == CIDUT_ERR_NO_MEMORY) {
    frame.releaseNewest();
    return detectEdgesBanded(source, *params, capacity, out);
  }
  if (frame.failed(detected)) return frame.exit();
  frame.failed(csEdgeListAssign(out, list));
  return frame.exit();
}

extern "C" int32_t cip_edge_detectEdgesChains(const cimg_imageConst* source,
                                              const cip_edgeParams* params, csEdgeList* list,
                                              csEdgeChains* chains) {
  CIDUT_CHECK(source != nullptr && params != nullptr);
  CIDUT_CHECK(list != nullptr && chains != nullptr);
  if (!isBound(source)) return CIDUT_ERR_IMAGE_UNBOUND;
  return detect(source, nullptr, nullptr, list, chains, *params);
}
