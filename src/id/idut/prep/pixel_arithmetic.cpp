// Saturating subtraction and addition of two 8-bit images over their common window; the
// rest of the result is a copy of the first image.
#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "id/idut/prep/pixel_images.h"
#include "kit/pel.h"

namespace {

// The sums are taken in 16 bits and limited to a byte.
struct differenceAtLeastZero {
  uint8_t operator()(uint8_t a, uint8_t b) const {
    const int16_t v = int16_t(a - b);
    return v < 0 ? 0 : uint8_t(v);
  }
};
struct sumAtMost255 {
  uint8_t operator()(uint8_t a, uint8_t b) const {
    const int16_t v = int16_t(a + b);
    return v > 255 ? 255 : uint8_t(v);
  }
};

template <class Combine>
int32_t combineImages(const cimg_imageConst* a, const cimg_imageConst* b, cimg_image* destination,
                      int32_t flags, Combine combine) {
  CIDUT_CHECK(a != nullptr && b != nullptr && destination != nullptr);
  cimg_windowConst inA, inB;
  if (const int32_t status = cidut_pixelInputWindow(a, &inA); status < 0) return status;
  if (const int32_t status = cidut_pixelInputWindow(b, &inB); status < 0) return status;
  CIDUT_CHECK(inA.pixelType == CIMG_TYPE_8 && inB.pixelType == CIMG_TYPE_8);
  const cstd_rect32 areaA{inA.x0, inA.y0, inA.width, inA.height};
  const cstd_rect32 areaB{inB.x0, inB.y0, inB.width, inB.height};
  cstd_rect32 common;
  cstd_rect32_intersect(&areaA, &areaB, &common);

  // The result covers A's window in A's image coordinates.
  ccCleanupFrame<1> frame;
  cimg_image result;
  if (frame.failed(cimg_image_constructRect(&result, CIMG_TYPE_8, &areaA))) return frame.exit();
  frame.holdObject<cimg_image_destruct>(&result);
  cimg_window out;
  if (frame.failed(cimg_window_init(&out, &result)) || frame.failed(cip_pelCopy8(&inA, &out)) ||
      frame.failed(cimg_image_copyXforms(&result, a)))
    return frame.exit();
  int32_t isNull = 0;
  cstd_rect32_getIsNull(&common, &isNull);
  if (!isNull) {
    CIDUT_CHECK(flags == 0);
    // Past a check handler that returns: the frame's status 0x80000000.
    if (flags != 0) return frame.fail(CIDUT_ERR_SEGMENT_POINTS_COINCIDE);
    cimg_windowConst fromA, fromB;
    cimg_window to;
    if (frame.failed(cimg_windowConst_initWindow(&fromA, a, &common, nullptr)) ||
        frame.failed(cimg_windowConst_initWindow(&fromB, b, &common, nullptr)) ||
        frame.failed(cimg_window_initWindow(&to, &result, &common, nullptr)))
      return frame.exit();
    for (int32_t r = 0; r < common.height; ++r) {
      const uint8_t* pa = cimg_windowConst_row<uint8_t>(&fromA, r);
      const uint8_t* pb = cimg_windowConst_row<uint8_t>(&fromB, r);
      uint8_t* po = cimg_window_row<uint8_t>(&to, r);
      for (int32_t c = 0; c < common.width; ++c) po[c] = combine(pa[c], pb[c]);
    }
  }
  frame.failed(cimg_image_assign(destination, &result));
  return frame.exit();
}

}  // namespace

extern "C" int32_t cidut_ip_pelSub8(const cimg_imageConst* a, const cimg_imageConst* b,
                                    cimg_image* destination, int32_t flags) {
  return combineImages(a, b, destination, flags, differenceAtLeastZero{});
}

extern "C" int32_t cidut_ip_pelAdd8(const cimg_imageConst* a, const cimg_imageConst* b,
                                    cimg_image* destination, int32_t flags) {
  return combineImages(a, b, destination, flags, sumAtMost255{});
}
