// cidut_2dFFTPwrSpec_win8_: the 2-D FFT of a window record into the caller's buffer and its
// power spectrum as a new image.
#include "ci_id/priv/ci_idut/freq.h"
#include "id/idut/frame/check.h"
#include "id/idut/freq/fft_routines.h"
#include "id/idut/freq/freq_images.h"

extern "C" int32_t cidut_2dFFTPwrSpec_win8_(const cimg_windowConst* input, double* bins,
                                            int32_t count, cimg_image* output) {
  CIDUT_CHECK(input && bins && output);
  CIDUT_CHECK(int64_t{count} == 2 * int64_t{input->width} * input->height);
  if (const int32_t status = cimg_image_setUnbound(output); status < 0) return status;
  if (const int32_t status = cidut_fftCheckSide(input->height); status < 0) return status;
  if (const int32_t status = cidut_fftCheckSide(input->width); status < 0) return status;

  ccFreqOutput out;
  ccCleanupFrame<1> frame;
  if (frame.failed(out.open(frame, output, CIMG_TYPE_DOUBLE, input->width, input->height,
                            nullptr)) ||
      frame.failed(cidut_fft2D<ccFftDouble>(*input, bins, 2 * ptrdiff_t{input->width}))) {
    return frame.exit();
  }
  for (int32_t r = 0; r < input->height; ++r) {
    const double* row = bins + 2 * ptrdiff_t{input->width} * r;
    double* power = out.row<double>(r);
    for (int32_t c = 0; c < input->width; ++c) {
      power[c] = ccFftDouble::power(row[2 * c], row[2 * c + 1]);
    }
  }
  frame.failed(out.close(output));
  return frame.exit();
}
