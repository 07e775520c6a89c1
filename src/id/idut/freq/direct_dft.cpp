// Direct DFTs by explicit cosine and sine sums: one row, one column, a whole grid.
#include "id/idut/freq/direct_dft.h"

#include <math.h>

#include "ci_id/priv/ci_idut/freq.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"

namespace {

constexpr double twoPi = 6.283185307179586;

}  // namespace

extern "C" int32_t cfRowDFT(const uint8_t* source, double* real, double* imaginary, int32_t n) {
  CIDUT_CHECK(n >= 0 && (source || n == 0));
  const double step = twoPi / n;
  for (int32_t k = 0; k < n; ++k) {
    if (real) {
      double sum = 0;
      for (int32_t j = 0; j < n; ++j) sum += source[j] * cos(double(k) * double(j) * step);
      real[k] = sum;
    }
    if (imaginary) {
      double sum = 0;
      for (int32_t j = 0; j < n; ++j) sum += source[j] * sin(double(k) * double(j) * step);
      imaginary[k] = -sum;
    }
  }
  return 0;
}

void cidut_columnDFT(const double* re, const double* im, ptrdiff_t stride, int32_t rows,
                     int32_t band, double* outRe, double* outIm) {
  const double step = twoPi / rows;
  for (int32_t k = 0; k < rows; ++k) {
    if (k >= band && k < rows - band) continue;
    double sumRe = 0, sumIm = 0;
    for (int32_t j = 0; j < rows; ++j) {
      const double angle = double(k) * double(j) * step;
      const double s = sin(angle), c = cos(angle);
      sumRe += im[j * stride] * s + re[j * stride] * c;
      sumIm += im[j * stride] * c - re[j * stride] * s;
    }
    if (outRe) outRe[k * stride] = sumRe;
    if (outIm) outIm[k * stride] = sumIm;
  }
}

extern "C" int32_t cf2DDFT(const uint8_t* source, int32_t rows, int32_t cols, double* real,
                           double* imaginary) {
  CIDUT_CHECK(rows >= 0 && cols >= 0 && (source || rows == 0 || cols == 0));
  const size_t plane = size_t(rows) * size_t(cols);
  ccCleanupFrame<1> frame;
  double* rowPass = nullptr;  // real plane, then imaginary plane
  if (frame.failed(csys_memory_alloc_internal(2 * plane * sizeof(double), (void**)&rowPass))) {
    return frame.exit();
  }
  frame.holdBlock(&rowPass);
  for (int32_t r = 0; r < rows; ++r) {
    const ptrdiff_t offset = ptrdiff_t{r} * cols;
    cfRowDFT(source + offset, rowPass + offset, rowPass + plane + offset, cols);
  }
  for (int32_t c = 0; c < cols; ++c) {
    cidut_columnDFT(rowPass + c, rowPass + plane + c, cols, rows, rows, real ? real + c : nullptr,
                    imaginary ? imaginary + c : nullptr);
  }
  return frame.exit();
}
