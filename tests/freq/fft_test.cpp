// The floating radix-2 FFT against the direct DFT, its output modes and refused inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "spectra.h"
#include "support/hooks.h"

namespace {

// Twiddle tables of six significant digits: a few 1e-6 of the largest bin (the pixel sum).
constexpr double tableAccuracy = 1e-5;

TEST(PelFFT, MatchesDirectDFTAtEveryPowerOfTwoSize) {
  for (int32_t n = 2; n <= 1024; n *= 2) {
    SCOPED_TRACE(n);
    EXPECT_LT(fftError<double>(cfPelFFT, n, 2, n, 0), tableAccuracy);
    EXPECT_LT(fftError<double>(cfPelFFT, 2, n, n + 1, 0), tableAccuracy);
    EXPECT_LT(fftError<double>(cfPelFFT, n, 3, n + 3, 1), tableAccuracy);  // rows: any height
  }
}

TEST(PelFFT, OutputModesDeriveFromTheComplexBins) {
  const randomImage in(16, 8, 3);
  for (int32_t rowOnly = 0; rowOnly <= 1; ++rowOnly) {
    const int32_t bins = rowOnly ? 8 : 16;
    heldImage complex;
    ASSERT_EQ(cfPelFFT(in.image.constImage(), &complex.image, CF_FFT_COMPLEX, rowOnly), 0);
    for (int32_t mode : {CF_FFT_MAGNITUDE, CF_FFT_POWER, CF_FFT_LOG_POWER}) {
      heldImage out;
      ASSERT_EQ(cfPelFFT(in.image.constImage(), &out.image, mode, rowOnly), 0);
      EXPECT_EQ(out.window().width, mode == CF_FFT_POWER ? bins : 2 * bins);
      for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < bins; ++x) {
          const double re = complex.at<double>(2 * x, y), im = complex.at<double>(2 * x + 1, y);
          const double power = re * re + im * im;
          EXPECT_EQ(out.at<double>(x, y), mode == CF_FFT_MAGNITUDE ? std::sqrt(power)
                                          : mode == CF_FFT_POWER   ? power
                                                                   : std::log(power + 1e-10));
          EXPECT_EQ(mode != CF_FFT_POWER ? out.at<double>(bins + x, y) : 0.0, 0.0);
        }
      }
    }
  }

  // The buffer form: the bins in the caller's buffer, their power as a new image.
  cimg_windowConst window;
  ASSERT_EQ(cimg_windowConst_init(&window, in.image.constImage()), 0);
  std::vector<double> buffer(256);
  heldImage bufferPower, complex;
  ASSERT_EQ(cidut_2dFFTPwrSpec_win8_(&window, buffer.data(), 256, &bufferPower.image), 0);
  ASSERT_EQ(cfPelFFT(in.image.constImage(), &complex.image, CF_FFT_COMPLEX, 0), 0);
  for (int32_t i = 0; i < 128; ++i) {
    const double re = complex.at<double>(i % 16 * 2, i / 16), im = buffer[2 * i + 1];
    EXPECT_EQ(buffer[2 * i], re);
    EXPECT_EQ(im, complex.at<double>(i % 16 * 2 + 1, i / 16));
    EXPECT_EQ(bufferPower.at<double>(i % 16, i / 16), re * re + im * im);
  }

  // A bound output, larger than needed: only the magnitudes are written.
  heldImage magnitude, bound(CIMG_TYPE_DOUBLE, 40, 10, -7);
  ASSERT_EQ(cfPelFFT(in.image.constImage(), &magnitude.image, CF_FFT_MAGNITUDE, 0), 0);
  ASSERT_EQ(cfPelFFT(in.image.constImage(), &bound.image, CF_FFT_MAGNITUDE, 0), 0);
  for (int32_t y = 0; y < 10; ++y)
    for (int32_t x = 0; x < 40; ++x)
      EXPECT_EQ(bound.at<double>(x, y), x < 16 && y < 8 ? magnitude.at<double>(x, y) : -7.0);
}

TEST(PelFFT, RefusedInputsLeaveTheOutputUntouched) {
  heldImage unbound, fresh, boundDouble(CIMG_TYPE_DOUBLE, 8, 4, -7),
      boundInt(CIMG_TYPE_32, 8, 4, -7);
  testImage tall(64, 48, 1), huge(2048, 2, 0), square(8, 8, 1);
  const struct {
    decltype(&cfPelFFT) fft;
    cimg_image* bound;
  } cases[] = {{cfPelFFT, &boundDouble.image}, {cfPelFFTBin, &boundInt.image}};
  for (const auto& c : cases) {
    for (cimg_image* out : {&fresh.image, c.bound}) {
      EXPECT_EQ(c.fft(unbound.constImage(), out, 0, 0), CIDUT_ERR_IMAGE_UNBOUND);
      EXPECT_EQ(c.fft(tall.constImage(), out, 0, 0), CIDUT_ERR_NOT_POWER_OF_TWO);
      EXPECT_EQ(c.fft(huge.constImage(), out, 0, 1), CIDUT_ERR_IMAGE_SIZE);
    }
    EXPECT_EQ(c.fft(square.constImage(), c.bound, 0, 0), CIDUT_ERR_IMAGE_SIZE);  // too small
    EXPECT_CHECK_FAILS(c.fft(square.constImage(), &fresh.image, 4, 0));
  }
  EXPECT_FALSE(fresh.bound());
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      EXPECT_EQ(boundDouble.at<double>(x, y), -7.0);
      EXPECT_EQ(boundInt.at<int32_t>(x, y), -7);
    }
  }
}

}  // namespace
