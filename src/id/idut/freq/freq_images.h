// The image rules shared by the frequency operations: how an input window is taken and
// how an output image is made or reused.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "id/idut/frame/cleanup_frame.h"
#include "kit/image.h"

// The current window of a bound, non-empty input image of the given pixel type.
// CIDUT_ERR_IMAGE_UNBOUND or CIDUT_ERR_IMAGE_SIZE otherwise; a wrong type is a check.
int32_t cidut_freqInputWindow(const cimg_imageConst* image, int32_t pixelType,
                              cimg_windowConst* window);

// The output of one call. An unbound caller's handle gets a new image, assigned to it by
// close(); a bound one is written through a second handle on its pixels. Declare it
// before the call's cleanup frame: the frame releases the handle this object holds.
class ccFreqOutput {
 public:
  ccFreqOutput() { cimg_image_constructUnbound(&image_); }
  ccFreqOutput(const ccFreqOutput&) = delete;
  ccFreqOutput& operator=(const ccFreqOutput&) = delete;

  // Binds to a width x height area of pixelType pixels; inputStorage is the input's pixel
  // buffer, which a bound output must not share.
  template <int Capacity>
  int32_t open(ccCleanupFrame<Capacity>& frame, const cimg_image* caller, int32_t pixelType,
               int32_t width, int32_t height, const void* inputStorage) {
    frame.template holdObject<cimg_image_destruct>(&image_);
    return bind(caller, pixelType, width, height, inputStorage);
  }

  template <class Pixel>
  Pixel* row(int32_t r) const {
    return cimg_window_row<Pixel>(&window_, r);
  }
  int32_t stride() const { return window_.stride; }
  // Zeroes a new image, for operations that leave some of its pixels unwritten.
  void clearIfNew();
  // Hands a new image to the caller; the last step of a successful call.
  int32_t close(cimg_image* caller);

 private:
  int32_t bind(const cimg_image* caller, int32_t pixelType, int32_t width, int32_t height,
               const void* inputStorage);

  cimg_image image_;
  cimg_window window_{};
  bool isNew_ = false;
};
