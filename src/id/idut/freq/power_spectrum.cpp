// Magnitude spectra |X| by the direct 2-D DFT, of whole grids or of their low-frequency
// corners.
#include <math.h>

#include "ci_id/priv/ci_idut/freq.h"
#include "id/idut/frame/check.h"
#include "id/idut/freq/direct_dft.h"
#include "id/idut/freq/freq_images.h"

namespace {

// |X| of rows x cols bytes, computed only in the columns c < columnBand or
// c >= cols - columnBand and, in them, the rows k < rowBand or k >= rows - rowBand; every
// other destination element is 0.
int32_t magnitudeSpectrum(const uint8_t* source, ptrdiff_t sourceStride, int32_t rows,
                          int32_t cols, double* destination, ptrdiff_t destinationStride,
                          int32_t columnBand, int32_t rowBand) {
  const size_t plane = size_t(rows) * size_t(cols);
  ccCleanupFrame<1> frame;
  double* planes = nullptr;  // row pass re, im; column pass re, im
  if (frame.failed(
          csys_memory_allocClear_internal(4 * plane * sizeof(double), (void**)&planes))) {
    return frame.exit();
  }
  frame.holdBlock(&planes);
  double* const rowRe = planes;
  double* const rowIm = planes + plane;
  double* const colRe = planes + 2 * plane;
  double* const colIm = planes + 3 * plane;
  for (int32_t r = 0; r < rows; ++r) {
    const ptrdiff_t offset = ptrdiff_t{r} * cols;
    cfRowDFT(source + r * sourceStride, rowRe + offset, rowIm + offset, cols);
  }
  for (int32_t c = 0; c < cols; ++c) {
    if (c >= columnBand && c < cols - columnBand) continue;
    cidut_columnDFT(rowRe + c, rowIm + c, cols, rows, rowBand, colRe + c, colIm + c);
  }
  for (int32_t r = 0; r < rows; ++r) {
    const ptrdiff_t offset = ptrdiff_t{r} * cols;
    double* out = destination + r * destinationStride;
    for (int32_t c = 0; c < cols; ++c) {
      const double re = colRe[offset + c], im = colIm[offset + c];
      out[c] = sqrt(re * re + im * im);
    }
  }
  return frame.exit();
}

}  // namespace

extern "C" int32_t cf2DPowerSpectrum(const uint8_t* source, int32_t sourceStride, int32_t rows,
                                     int32_t cols, double* destination,
                                     int32_t destinationStride) {
  CIDUT_CHECK(rows >= 0 && cols >= 0);
  CIDUT_CHECK(rows == 0 || cols == 0 ||
              (source && destination && sourceStride >= cols && destinationStride >= cols));
  return magnitudeSpectrum(source, sourceStride, rows, cols, destination, destinationStride,
                           cols, rows);
}

extern "C" int32_t cfPowerSpectrum(const cimg_imageConst* input, cimg_image* output) {
  CIDUT_CHECK(input && output);
  cimg_windowConst in;
  if (const int32_t status = cidut_freqInputWindow(input, CIMG_TYPE_8, &in); status < 0) {
    return status;
  }
  ccFreqOutput out;
  ccCleanupFrame<1> frame;
  if (!frame.failed(
          out.open(frame, output, CIMG_TYPE_DOUBLE, in.width, in.height, in.storage)) &&
      !frame.failed(magnitudeSpectrum(static_cast<const uint8_t*>(in.pixels), in.stride,
                                      in.height, in.width, out.row<double>(0), out.stride(),
                                      in.width, in.height))) {
    frame.failed(out.close(output));
  }
  return frame.exit();
}

extern "C" int32_t cfPelPowerSpectrum(const cimg_windowConst* input, const cimg_window* output) {
  return cfLimitedPelPowerSpectrum(input, input ? input->width : 0,
                                   input ? input->height : 0, output);
}

extern "C" int32_t cfLimitedPelPowerSpectrum(const cimg_windowConst* input, int32_t columnBand,
                                             int32_t rowBand, const cimg_window* output) {
  CIDUT_CHECK(input && output && columnBand >= 0 && rowBand >= 0);
  CIDUT_CHECK(input->width >= 0 && input->height >= 0);
  return magnitudeSpectrum(static_cast<const uint8_t*>(input->pixels), input->stride,
                           input->height, input->width, static_cast<double*>(output->pixels),
                           output->stride, columnBand, rowBand);
}
