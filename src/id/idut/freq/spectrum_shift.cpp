// Display shifts of double spectra: the quadrant swap and the row rotation of half-row
// spectra.
#include "ci_id/priv/ci_idut/freq.h"
#include "id/idut/frame/check.h"
#include "id/idut/freq/freq_images.h"

namespace {

// Copies rows x cols doubles from (inRow, inCol) of the input to (outRow, outCol) of the
// output, row by row.
int32_t copyBlock(const cimg_windowConst& in, int32_t inRow, int32_t inCol,
                  const ccFreqOutput& out, int32_t outRow, int32_t outCol, int32_t rows,
                  int32_t cols) {
  for (int32_t r = 0; r < rows; ++r) {
    const int32_t status = csys_memory_copy(sizeof(double) * size_t(cols),
                                            cimg_windowConst_row<double>(&in, inRow + r) + inCol,
                                            out.row<double>(outRow + r) + outCol);
    if (status < 0) return status;
  }
  return 0;
}

}  // namespace

extern "C" int32_t cfPowerSpectrumShift(const cimg_imageConst* input, cimg_image* output) {
  CIDUT_CHECK(input && output);
  cimg_windowConst in;
  if (const int32_t status = cidut_freqInputWindow(input, CIMG_TYPE_DOUBLE, &in); status < 0) {
    return status;
  }
  const int32_t halfW = in.width / 2, halfH = in.height / 2;
  ccFreqOutput out;
  ccCleanupFrame<1> frame;
  if (frame.failed(out.open(frame, output, CIMG_TYPE_DOUBLE, in.width, in.height, in.storage))) {
    return frame.exit();
  }
  if (in.width % 2 || in.height % 2) out.clearIfNew();
  if (!frame.failed(copyBlock(in, 0, 0, out, halfH, halfW, halfH, halfW)) &&
      !frame.failed(copyBlock(in, 0, halfW, out, halfH, 0, halfH, halfW)) &&
      !frame.failed(copyBlock(in, halfH, 0, out, 0, halfW, halfH, halfW)) &&
      !frame.failed(copyBlock(in, halfH, halfW, out, 0, 0, halfH, halfW))) {
    frame.failed(out.close(output));
  }
  return frame.exit();
}

extern "C" int32_t cfFFTShift(const cimg_imageConst* input, cimg_image* output) {
  CIDUT_CHECK(input && output);
  cimg_windowConst in;
  if (const int32_t status = cidut_freqInputWindow(input, CIMG_TYPE_DOUBLE, &in); status < 0) {
    return status;
  }
  const int32_t halfW = in.width / 2, halfH = in.height / 2;
  ccFreqOutput out;
  ccCleanupFrame<1> frame;
  if (frame.failed(out.open(frame, output, CIMG_TYPE_DOUBLE, halfW, in.height, in.storage))) {
    return frame.exit();
  }
  if (in.height % 2) out.clearIfNew();
  if (!frame.failed(copyBlock(in, 0, 0, out, halfH, 0, halfH, halfW)) &&
      !frame.failed(copyBlock(in, halfH, 0, out, 0, 0, halfH, halfW))) {
    frame.failed(out.close(output));
  }
  return frame.exit();
}
