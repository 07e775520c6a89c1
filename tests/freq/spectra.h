// Shared helpers of the frequency tests: random 8-bit images, owned image handles and
// pixel access.
#pragma once

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ci_id/priv/ci_idut/freq.h"
#include "support/synthetic.h"

// An image handle that starts unbound and is destructed with the object.
struct ownedImage {
  cimg_image image;
  ownedImage() { cimg_image_constructUnbound(&image); }
  // Bound to new pixels, all set to fill.
  template <class Pixel>
  ownedImage(int32_t width, int32_t height, Pixel fill) : ownedImage() {
    EXPECT_EQ(cimg_image_construct(&image, sizeof(Pixel), width, height), 0);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) at<Pixel>(x, y) = fill;
  }
  ~ownedImage() { cimg_image_destruct(&image); }
  ownedImage(const ownedImage&) = delete;

  bool bound() const {
    int32_t isBound = 0;
    cimg_image_getIsBound(&image, &isBound);
    return isBound;
  }
  cimg_window window() const {
    cimg_window w{};
    EXPECT_EQ(cimg_window_init(&w, &image), 0);
    return w;
  }
  template <class Pixel>
  Pixel& at(int32_t x, int32_t y) const {
    const cimg_window w = window();
    return cimg_window_row<Pixel>(&w, y)[x];
  }
  const cimg_imageConst* input() const { return cimg_image_asConst(&image); }
};

// A w x h image of random bytes, kept also as a row-major vector.
struct randomImage {
  std::vector<uint8_t> pixels;
  testImage image;
  randomImage(int32_t width, int32_t height, uint32_t seed) : image(width, height, 0) {
    std::mt19937 rng(seed);
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        pixels.push_back(uint8_t(rng()));
        image.at(x, y) = pixels.back();
      }
    }
  }
  double sum() const {
    double s = 0;
    for (uint8_t p : pixels) s += p;
    return s;
  }
};
