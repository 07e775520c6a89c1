// Frequency analysis of 8-bit grey images: direct DFTs and magnitude spectra, radix-2 FFTs
// in double and in fixed point, and the shifts and rescaling that make spectra viewable.
//
// Conventions. Every transform is forward (exponent -2 pi i jk / n) and unnormalised, so
// the DC term is the pixel sum. Complex data is interleaved: real part, then imaginary
// part. Rows and columns are pixels of a window; strides count pixels (bytes for 8-bit,
// doubles for double images), not bytes.
//
// Image inputs are the current window of a bound handle: an unbound handle fails with
// CIDUT_ERR_IMAGE_UNBOUND, an empty window with CIDUT_ERR_IMAGE_SIZE. Inputs are 8-bit
// unless noted; a wrong pixel type is an argument error.
//
// Image outputs. An unbound output handle receives a new image of the stated type and
// size, assigned to it as the operation's last step, so a failing call leaves it unbound.
// A bound output is written in place: the result fills the top-left pixels of its window,
// which must have the stated pixel type and must not share pixels with the input (argument
// errors), and must be at least the stated size (else CIDUT_ERR_IMAGE_SIZE before anything
// is written). Pixels of the output that an operation leaves unwritten are 0 in a new
// image and keep their values in a bound one.
//
// FFT sizes. The radix-2 transforms take power-of-two sides from 2 to 1024: another side
// fails with CIDUT_ERR_NOT_POWER_OF_TWO, a power of two above 1024 with CIDUT_ERR_IMAGE_SIZE.
// Their twiddle factors are stepped by a rotation per butterfly group from tables held to
// six significant digits, so the floating FFT agrees with the direct DFT to a few 1e-6 of
// the pixel sum (the bound of every bin), not to double rounding.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "kit/image.h"

// Output modes of cfPelFFT and cfPelFFTBin. A row of n bins is 2n pixels wide (interleaved
// complex) in modes 0, 1 and 3, n pixels in mode 2; modes 1 and 3 fill only its left n
// pixels, the layout cfFFTShift expects.
enum {
  CF_FFT_COMPLEX = 0,    // re, im
  CF_FFT_MAGNITUDE = 1,  // sqrt(re^2 + im^2)
  CF_FFT_POWER = 2,      // re^2 + im^2
  CF_FFT_LOG_POWER = 3,  // log(re^2 + im^2 + 1e-10)
};

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------------------------------
// Direct transforms: explicit cosine and sine sums, O(n^2) per row and per column, any
// size. Meant for small windows.

// DFT of the n bytes of source: real[k] = sum x[j] cos(2 pi jk / n), imaginary[k] =
// -sum x[j] sin(2 pi jk / n), k = 0..n-1. A null output is neither computed nor written.
// Returns 0.
CIDUT_API int32_t cfRowDFT(const uint8_t* source, double* real, double* imaginary, int32_t n);

// 2-D DFT of rows x cols bytes (row stride cols) into rows x cols doubles (row stride
// cols); either output may be null. Returns the status of the scratch allocation.
CIDUT_API int32_t cf2DDFT(const uint8_t* source, int32_t rows, int32_t cols, double* real,
                          double* imaginary);

// Magnitude |X| of the 2-D DFT (despite the name, not its square) of rows x cols bytes
// into doubles. Returns the status of the scratch allocation.
CIDUT_API int32_t cf2DPowerSpectrum(const uint8_t* source, int32_t sourceStride, int32_t rows,
                                    int32_t cols, double* destination, int32_t destinationStride);

// cf2DPowerSpectrum of the input window; output: double, the input's size.
CIDUT_API int32_t cfPowerSpectrum(const cimg_imageConst* input, cimg_image* output);

// cf2DPowerSpectrum from an 8-bit window record (width, height, stride, pixels are read)
// into a double window record (stride and pixels are read; it must hold the input's size).
CIDUT_API int32_t cfPelPowerSpectrum(const cimg_windowConst* input, const cimg_window* output);

// cfPelPowerSpectrum restricted to the low frequencies: only the columns c < columnBand or
// c >= width - columnBand and, in them, the rows k < rowBand or k >= height - rowBand get
// their magnitude; every other element is 0. Bands of 0 give an all-zero spectrum.
CIDUT_API int32_t cfLimitedPelPowerSpectrum(const cimg_windowConst* input, int32_t columnBand,
                                            int32_t rowBand, const cimg_window* output);

// Quadrant swap of a double image of w x h, so that frequency 0 moves to the centre: the
// four blocks of h/2 rows by w/2 columns at the corners trade places diagonally. Output:
// double, w x h. With an odd side the last input row or column is not read and the last
// output row or column not written. Applied twice to even sides it is the identity.
CIDUT_API int32_t cfPowerSpectrumShift(const cimg_imageConst* input, cimg_image* output);

// ---------------------------------------------------------------------------------------
// Radix-2 FFTs.

// FFT of the input window. rowOnly 0: the 2-D transform of the w x h window, w bins per
// row. rowOnly 1: each row transformed alone, keeping its first w/2 bins (the others are
// their conjugates); the height then need not be a power of two. Output: double, h rows of
// the mode's width (see CF_FFT_*). mode 0..3 and rowOnly 0 or 1, else an argument error.
CIDUT_API int32_t cfPelFFT(const cimg_imageConst* input, cimg_image* output, int32_t mode,
                           int32_t rowOnly);

// cfPelFFT in 32-bit fixed point; output: 32-bit image. The bins are in the units of the
// unnormalised DFT: the rotating factors are Q12 (start 4096 = 1), stepped with the Q16
// tables (shift 16), and every product of data and factor is shifted right by 12. Each
// shift truncates, and the stepped factors of the last stages drift by up to 6%, so the
// bins follow the exact DFT to about 0.3% of the pixel sum; 2 and 4 points, and the DC
// bin at any size, are exact. rowOnly 0 is the 2-D transform done the same way, rows then
// columns; its bins reach 255 w h, which fits 32 bits. Modes: 0 the integer pairs;
// 1 cmath_sqrt32 of re^2 + im^2; 2 re^2 + im^2; 3 cmath_double_round(log(re^2 + im^2 +
// 1e-10)). The squares are summed in unsigned 32-bit arithmetic and wrap above 2^32 - 1
// (a DC bin above 65535 does); the mode 2 pixel holds those 32 bits.
CIDUT_API int32_t cfPelFFTBin(const cimg_imageConst* input, cimg_image* output, int32_t mode,
                              int32_t rowOnly);

// 2-D FFT of an 8-bit window record (width w, height h, stride, pixels) into the caller's
// buffer bins of count = 2 w h doubles (row stride 2w; a different count is an argument
// error), and its power spectrum re^2 + im^2 as a new w x h double image in output. The
// output handle is set unbound first, so it is unbound after any failure.
CIDUT_API int32_t cidut_2dFFTPwrSpec_win8_(const cimg_windowConst* input, double* bins,
                                           int32_t count, cimg_image* output);

// Rescales a double image linearly onto 0..255: minimum to 0, maximum to 255, each byte
// the scaled value truncated toward zero. A constant image maps to all 0 (every pixel is
// the minimum). Output: 8-bit, the input's size.
CIDUT_API int32_t cfViewableFFT(const cimg_imageConst* input, cimg_image* output);

// Display layout of a cfPelFFT row-only spectrum in mode 1 or 3 (W = 2 x bins wide): the
// left W/2 pixels of each row, with the rows rotated by H/2 so that row frequency 0 lands
// in the middle: output row H/2 + r is input row r, output row r is input row H/2 + r.
// Output: double, W/2 x H; with an odd H its last row is not written.
CIDUT_API int32_t cfFFTShift(const cimg_imageConst* input, cimg_image* output);

// Fixed-size fixed-point transforms of a processor-tuned library. None is available:
// each returns CIDUT_ERR_NOT_AVAILABLE, whatever the inhibition hook says, and touches
// nothing.
CIDUT_API int32_t cf2DFFT_32x32_fixed(const int32_t* source, int32_t* destination,
                                      int32_t flags);
CIDUT_API int32_t cf2DIFFT_32x32_fixed(const int32_t* source, int32_t* destination,
                                       int32_t flags);
CIDUT_API int32_t cf2DFFT_16x16_fixed(const int32_t* source, int32_t* destination,
                                      int32_t flags);
CIDUT_API int32_t cf2DIFFT_16x16_fixed(const int32_t* source, int32_t* destination,
                                       int32_t flags);

#ifdef __cplusplus
}
#endif
