// Frequency test helpers: random 8-bit images, the distance of an FFT from the direct DFT.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "ci_id/priv/ci_idut/freq.h"
#include "support/held_image.h"
#include "support/synthetic.h"

// A w x h image of random bytes, kept also as a row-major vector.
struct randomImage {
  std::vector<uint8_t> pixels;
  testImage image;
  randomImage(int32_t width, int32_t height, uint32_t seed) : image(width, height, 0) {
    std::mt19937 rng(seed);
    for (int32_t i = 0; i < width * height; ++i) pixels.push_back(uint8_t(rng()));
    for (int32_t i = 0; i < width * height; ++i) image.at(i % width, i / width) = pixels[i];
  }
  double sum() const { return std::accumulate(pixels.begin(), pixels.end(), 0.0); }
};

// Largest distance of an FFT of a random image from the direct DFT (2-D, or each row's
// first width/2 bins), relative to the pixel sum.
template <class Pixel>
double fftError(decltype(&cfPelFFT) fft, int32_t width, int32_t height, uint32_t seed,
                int32_t rowOnly) {
  const randomImage in(width, height, seed);
  std::vector<double> re(in.pixels.size()), im(in.pixels.size());
  if (rowOnly) {
    for (size_t y = 0; y < size_t(height); ++y)
      cfRowDFT(&in.pixels[y * width], &re[y * width], &im[y * width], width);
  } else {
    EXPECT_EQ(cf2DDFT(in.pixels.data(), height, width, re.data(), im.data()), 0);
  }
  heldImage out;
  EXPECT_EQ(fft(in.image.constImage(), &out.image, CF_FFT_COMPLEX, rowOnly), 0);
  const cimg_window w = out.window();
  EXPECT_EQ(w.width, rowOnly ? width : 2 * width);
  EXPECT_EQ(w.height, height);
  double error = 0;
  for (int32_t y = 0; y < height; ++y) {
    const Pixel* bins = cimg_window_row<Pixel>(&w, y);
    for (int32_t x = 0; x < (rowOnly ? width / 2 : width); ++x) {
      const size_t i = size_t(y) * width + x;
      error = std::max(error, std::hypot(bins[2 * x] - re[i], bins[2 * x + 1] - im[i]));
    }
  }
  return error / in.sum();
}
