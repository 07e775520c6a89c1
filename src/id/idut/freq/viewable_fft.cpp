// cfViewableFFT: a double image rescaled linearly onto the 8-bit range for display.
#include "ci_id/priv/ci_idut/freq.h"
#include "id/idut/frame/check.h"
#include "id/idut/freq/freq_images.h"

extern "C" int32_t cfViewableFFT(const cimg_imageConst* input, cimg_image* output) {
  CIDUT_CHECK(input && output);
  cimg_windowConst in;
  if (const int32_t status = cidut_freqInputWindow(input, CIMG_TYPE_DOUBLE, &in); status < 0) {
    return status;
  }
  ccFreqOutput out;
  ccCleanupFrame<1> frame;
  if (frame.failed(out.open(frame, output, CIMG_TYPE_8, in.width, in.height, in.storage))) {
    return frame.exit();
  }
  double min = *cimg_windowConst_row<double>(&in, 0), max = min;
  for (int32_t r = 0; r < in.height; ++r) {
    const double* row = cimg_windowConst_row<double>(&in, r);
    for (int32_t c = 0; c < in.width; ++c) {
      if (row[c] > max) max = row[c];
      else if (row[c] < min) min = row[c];
    }
  }
  // A constant image is all minimum: scale 0 maps it to 0 instead of dividing by zero.
  const double scale = max > min ? 255.0 / (max - min) : 0.0;
  for (int32_t r = 0; r < in.height; ++r) {
    const double* row = cimg_windowConst_row<double>(&in, r);
    uint8_t* bytes = out.row<uint8_t>(r);
    for (int32_t c = 0; c < in.width; ++c) bytes[c] = uint8_t(int32_t((row[c] - min) * scale));
  }
  frame.failed(out.close(output));
  return frame.exit();
}
