// Inside the binarization: the thresholding methods that cidut_binarizeImage dispatches to,
// the output images it writes, and the small pieces the methods share.
//
// Every method reads the source window `in` and writes the destination window `out`, both
// 8-bit and of one size, whose pixel memory does not overlap.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/cleanup_frame.h"
#include "kit/image.h"

// An output image of one call: a new image placed where the source window lies when the
// caller's handle is unbound, else a second handle on the caller's pixels; either way it
// takes the source's transforms and window position. Pixels are written through window(),
// and close() hands the handle to the caller as the call's last step. Declare it before
// the call's cleanup frame, which releases the handle this object holds.
class cidut_binarizeOutput {
 public:
  cidut_binarizeOutput() { cimg_image_constructUnbound(&image_); }
  cidut_binarizeOutput(const cidut_binarizeOutput&) = delete;
  cidut_binarizeOutput& operator=(const cidut_binarizeOutput&) = delete;

  // A bound caller's window must be of the source window's size (else
  // CIDUT_ERR_IMAGE_SIZE) and must not overlap the source's pixels (check).
  template <int Capacity>
  int32_t open(ccCleanupFrame<Capacity>& frame, const cimg_image* caller,
               const cimg_imageConst* source, const cimg_windowConst& in) {
    frame.template holdObject<cimg_image_destruct>(&image_);
    return bind(caller, source, in);
  }
  const cimg_window& window() const { return window_; }
  int32_t close(cimg_image* caller) { return cimg_image_assign(caller, &image_); }

 private:
  int32_t bind(const cimg_image* caller, const cimg_imageConst* source, const cimg_windowConst& in);

  cimg_image image_;
  cimg_window window_{};
};

// ---------------------------------------------------------------------------------------
// Shared pieces.

// The same pixels through a read-only record.
cimg_windowConst cidut_binarizeReadOnly(const cimg_window& window);
// table[v] = 255 for v >= threshold, else 0.
void cidut_binarizeStepTable(double threshold, uint8_t table[256]);
// out = 255 where in is strictly above the threshold image (same size), else 0. The
// threshold image may be out itself.
int32_t cidut_binarizeAbove(const cimg_windowConst& in, const cimg_windowConst& thresholds,
                            const cimg_window& out);

// ---------------------------------------------------------------------------------------
// Methods.

// Methods 0 and 1: one threshold for the whole window, mid-range or within-group variance.
int32_t cidut_binarizeGlobal(const cimg_imageConst* source, const cimg_windowConst& in,
                             const cimg_window& out, int32_t method);

// Methods 2 and 3 on nX x nY tiles (each at least 1); reference may be null.
int32_t cidut_binarizeTiles(const cimg_windowConst& in, const cimg_window& out,
                            const cimg_windowConst* reference, int32_t nX, int32_t nY,
                            const cidut_binarizeParams& params);

// Method 4. contrastMask (may be null) is the caller's mask handle, handed its image as
// this call's last step.
int32_t cidut_binarizeLocalMinMax(const cimg_imageConst* source, const cimg_windowConst& in,
                                  const cimg_window& out, cimg_image* contrastMask,
                                  const cidut_binarizeParams& params);

// Method 5.
int32_t cidut_binarizeLocalMean(const cimg_windowConst& in, const cimg_window& out,
                                const cidut_binarizeParams& params);
