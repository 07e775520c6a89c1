// The fixed-point FFT: rows against the direct DFT within the error its Q12 factors imply,
// the 2-D transform, and the wrapping 32-bit output modes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "spectra.h"

namespace {

// Rows: exact for 2 and 4 points, whose factors are 1 and -i. Beyond, each step of a Q12
// factor truncates, so the late factors of 1024 points are off by up to 6%; the bins,
// which average those errors, stay within 1% of the row's pixel sum.
TEST(PelFFTBin, RowsMatchTheDirectDFTWithinFixedPointError) {
  for (int32_t n = 2; n <= 1024; n *= 2) {
    SCOPED_TRACE(n);
    const randomImage in(n, 2, n);
    ownedImage out;
    ASSERT_EQ(cfPelFFTBin(in.image.constImage(), &out.image, CF_FFT_COMPLEX, 1), 0);
    std::vector<double> re(n), im(n);
    for (int32_t y = 0; y < 2; ++y) {
      const uint8_t* row = in.pixels.data() + size_t(y) * n;
      cfRowDFT(row, re.data(), im.data(), n);
      double rowSum = 0;
      for (int32_t x = 0; x < n; ++x) rowSum += row[x];
      const cimg_window w = out.window();
      const int32_t* bins = cimg_window_row<int32_t>(&w, y);
      for (int32_t x = 0; x < n / 2; ++x) {
        if (n <= 4) {
          EXPECT_EQ(bins[2 * x], std::lround(re[x]));
          EXPECT_EQ(bins[2 * x + 1], std::lround(im[x]));
        } else {
          EXPECT_LE(std::hypot(bins[2 * x] - re[x], bins[2 * x + 1] - im[x]), 0.01 * rowSum);
        }
      }
    }
  }
}

TEST(PelFFTBin, TwoDimensionalTransformFollowsTheFloatingOne) {
  const randomImage in(32, 64, 3);
  ownedImage fixed, floating;
  ASSERT_EQ(cfPelFFTBin(in.image.constImage(), &fixed.image, CF_FFT_COMPLEX, 0), 0);
  ASSERT_EQ(cfPelFFT(in.image.constImage(), &floating.image, CF_FFT_COMPLEX, 0), 0);
  EXPECT_EQ(fixed.at<int32_t>(0, 0), in.sum());  // the DC bin is exact
  for (int32_t y = 0; y < 64; ++y) {
    for (int32_t x = 0; x < 64; ++x) {
      EXPECT_NEAR(fixed.at<int32_t>(x, y), floating.at<double>(x, y), 0.01 * in.sum());
    }
  }
  // The largest image at full scale: the DC bin 255 x 2^20 fits, every other bin is 0.
  const testImage white(1024, 1024, 255);
  ownedImage out;
  ASSERT_EQ(cfPelFFTBin(white.constImage(), &out.image, CF_FFT_COMPLEX, 0), 0);
  const cimg_window w = out.window();
  int64_t others = 0;
  for (int32_t y = 0; y < 1024; ++y) {
    const int32_t* bins = cimg_window_row<int32_t>(&w, y);
    for (int32_t x = y == 0 ? 2 : 0; x < 2048; ++x) others += std::abs(bins[x]);
  }
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
      ownedImage out;
      ASSERT_EQ(cfPelFFTBin(white.constImage(), &out.image, mode, 1), 0);
      EXPECT_EQ(out.at<int32_t>(0, 0), mode == CF_FFT_MAGNITUDE ? c.magnitude
                                       : mode == CF_FFT_POWER   ? c.power
                                                                : c.logPower);
      EXPECT_EQ(out.at<int32_t>(1, 0), mode == CF_FFT_LOG_POWER ? -23 : 0);  // log(1e-10)
    }
  }
}

}  // namespace
