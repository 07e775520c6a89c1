// The fixed-point FFT against the direct DFT within its Q12 error, full scale, output modes.
#include <gtest/gtest.h>

#include <cmath>

#include "spectra.h"

namespace {

// Exact for 2 and 4 points; beyond, truncated Q12 factors keep bins within 1% of the sum.
TEST(PelFFTBin, MatchesTheDirectDFTWithinFixedPointError) {
  for (int32_t n = 2; n <= 1024; n *= 2) {
    SCOPED_TRACE(n);
    EXPECT_LT(fftError<int32_t>(cfPelFFTBin, n, 1, n, 1), n <= 4 ? 1e-9 : 0.01);
  }
  EXPECT_LT(fftError<int32_t>(cfPelFFTBin, 32, 64, 3, 0), 0.01);

  // The largest image at full scale: the DC bin 255 x 2^20 fits, every other bin is 0.
  const testImage white(1024, 1024, 255);
  heldImage out;
  ASSERT_EQ(cfPelFFTBin(white.constImage(), &out.image, CF_FFT_COMPLEX, 0), 0);
  int64_t others = -255 * 1024 * 1024;
  for (int32_t y = 0; y < 1024; ++y)
    for (int32_t x = 0; x < 2048; ++x) others += std::abs(out.at<int32_t>(x, y));
  EXPECT_EQ(out.at<int32_t>(0, 0), 255 * 1024 * 1024);
  EXPECT_EQ(others, 0);
}

TEST(PelFFTBin, OutputModesSumSquaresIn32Bits) {
  struct Case {
    int32_t width;
    int32_t magnitude, power, logPower;  // of the DC bin 255 x width
  };
  // 8160^2 fits; 130560^2 wraps to 4161011712, read back as a negative pixel.
  for (const Case& c : {Case{32, 8160, 66585600, 18}, Case{512, 64505, -133955584, 22}}) {
    const testImage white(c.width, 1, 255);
    for (int32_t mode : {CF_FFT_MAGNITUDE, CF_FFT_POWER, CF_FFT_LOG_POWER}) {
      heldImage out;
      ASSERT_EQ(cfPelFFTBin(white.constImage(), &out.image, mode, 1), 0);
      EXPECT_EQ(out.at<int32_t>(0, 0), mode == CF_FFT_MAGNITUDE ? c.magnitude
                                       : mode == CF_FFT_POWER   ? c.power
                                                                : c.logPower);
      EXPECT_EQ(out.at<int32_t>(1, 0), mode == CF_FFT_LOG_POWER ? -23 : 0);  // log(1e-10)
    }
  }
}
}  // namespace
