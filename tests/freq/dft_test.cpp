// Direct DFTs and magnitude spectra against the DFT formula evaluated independently.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "spectra.h"

namespace {

// X[k][l] = sum x[j][i] exp(-2 pi i (jk / rows + il / cols)), row-major.
std::vector<std::complex<double>> dftFormula(const uint8_t* x, int32_t rows, int32_t cols) {
  std::vector<std::complex<double>> out(size_t(rows) * cols);
  for (int32_t k = 0; k < rows; ++k)
    for (int32_t l = 0; l < cols; ++l)
      for (int32_t j = 0; j < rows; ++j)
        for (int32_t i = 0; i < cols; ++i)
          out[size_t(k) * cols + l] +=
              double(x[j * cols + i]) *
              std::polar(1.0, -2 * M_PI * (double(j) * k / rows + double(i) * l / cols));
  return out;
}

TEST(DirectDFT, RowAndTwoDimensionalDFTsAndSpectraOfAnyShape) {
  const randomImage in(5, 3, 21);  // cols 5, rows 3
  const auto expected = dftFormula(in.pixels.data(), 3, 5);
  const auto row = dftFormula(in.pixels.data() + 5, 1, 5);
  std::vector<double> re(15), im(15, -1), magnitude(15), rowRe(5), rowIm(5);
  ASSERT_EQ(cfRowDFT(in.pixels.data() + 5, rowRe.data(), rowIm.data(), 5), 0);
  ASSERT_EQ(cf2DDFT(in.pixels.data(), 3, 5, re.data(), nullptr), 0);
  ASSERT_EQ(cf2DDFT(in.pixels.data(), 3, 5, nullptr, im.data()), 0);
  ASSERT_EQ(cf2DPowerSpectrum(in.pixels.data(), 5, 3, 5, magnitude.data(), 5), 0);
  for (size_t i = 0; i < 15; ++i) {
    EXPECT_NEAR(re[i], expected[i].real(), 1e-9);
    EXPECT_NEAR(im[i], expected[i].imag(), 1e-9);
    EXPECT_NEAR(magnitude[i], std::abs(expected[i]), 1e-9);
  }
  for (size_t k = 0; k < 5; ++k) {
    EXPECT_NEAR(rowRe[k], row[k].real(), 1e-9);
    EXPECT_NEAR(rowIm[k], row[k].imag(), 1e-9);
  }

  // The image forms read the current window and agree with the plain one.
  testImage big(9, 6, 200);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 5; ++x) big.at(x + 2, y + 1) = in.pixels[size_t(y) * 5 + x];
  ASSERT_EQ(cimg_image_window(big.image(), 2, 1, 5, 3, 0), 0);
  heldImage spectrum, pel(CIMG_TYPE_DOUBLE, 7, 4, -1), limited(CIMG_TYPE_DOUBLE, 5, 3, -1);
  ASSERT_EQ(cfPowerSpectrum(big.constImage(), &spectrum.image), 0);
  cimg_windowConst window;
  ASSERT_EQ(cimg_windowConst_init(&window, big.constImage()), 0);
  const cimg_window pelWindow = pel.window(), limitedWindow = limited.window();
  ASSERT_EQ(cfPelPowerSpectrum(&window, &pelWindow), 0);
  ASSERT_EQ(cfLimitedPelPowerSpectrum(&window, 1, 1, &limitedWindow), 0);
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 5; ++x) {
      const double m = magnitude[size_t(y) * 5 + x];
      EXPECT_EQ(spectrum.at<double>(x, y), m);
      EXPECT_EQ(pel.at<double>(x, y), m);
      // Band 1 keeps the columns 0 and 4 and, in them, the rows 0 and 2.
      EXPECT_EQ(limited.at<double>(x, y), (x == 0 || x == 4) && y != 1 ? m : 0.0);
    }
  }
  EXPECT_EQ(pel.at<double>(5, 0), -1.0);  // outside the result
}
}  // namespace
