// Display shifts of double spectra: the quadrant swap and the row rotation of half-row
// spectra.
#include <initializer_list>

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

// A block of half the input's height and half its width, placed by halves: row and
// column of the input (0 or 1 half), row and column of the output.
struct halfBlock {
  int32_t inRow, inCol, outRow, outCol;
};

// Builds a double output of the input's height and its width (or half its width) from
// half blocks of the input. A new output is zeroed first when the blocks leave pixels
// out (odd sizes).
int32_t shiftHalves(const cimg_imageConst* input, cimg_image* output, bool halfWidthOutput,
                    std::initializer_list<halfBlock> blocks) {
  CIDUT_CHECK(input && output);
  cimg_windowConst in;
  if (const int32_t status = cidut_freqInputWindow(input, CIMG_TYPE_DOUBLE, &in); status < 0) {
    return status;
  }
  const int32_t halfW = in.width / 2, halfH = in.height / 2;
  const int32_t outWidth = halfWidthOutput ? halfW : in.width;
  ccFreqOutput out;
  ccCleanupFrame<1> frame;
  if (frame.failed(out.open(frame, output, CIMG_TYPE_DOUBLE, outWidth, in.height, in.storage))) {
    return frame.exit();
  }
  if (in.height % 2 || (!halfWidthOutput && in.width % 2)) out.clearIfNew();
  for (const halfBlock& b : blocks) {
    if (frame.failed(copyBlock(in, b.inRow * halfH, b.inCol * halfW, out, b.outRow * halfH,
                               b.outCol * halfW, halfH, halfW)))
      return frame.exit();
  }
  frame.failed(out.close(output));
  return frame.exit();
}

}  // namespace

extern "C" int32_t cfPowerSpectrumShift(const cimg_imageConst* input, cimg_image* output) {
  // Quadrants change places diagonally.
  return shiftHalves(input, output, false, {{0, 0, 1, 1}, {0, 1, 1, 0}, {1, 0, 0, 1}, {1, 1, 0, 0}});
}

extern "C" int32_t cfFFTShift(const cimg_imageConst* input, cimg_image* output) {
  // The left half-rows of the top and bottom halves change places.
  return shiftHalves(input, output, true, {{0, 0, 1, 0}, {1, 0, 0, 0}});
}
