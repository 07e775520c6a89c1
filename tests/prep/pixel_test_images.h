// Images for the tests of the pixel operations and the morphology: kit images of random or
// given pixels, read back through their current window, released with the object.
#pragma once

#include <gtest/gtest.h>
#include <stdint.h>

#include <random>
#include <vector>

#include "kit/image.h"

// A kit image handle, unbound until filled, released at the end.
class heldImage {
 public:
  heldImage() { cimg_image_constructUnbound(&image); }
  // An 8-bit image over area (image coordinates: its origin is area's corner) of random
  // pixels.
  heldImage(const cstd_rect32& area, std::mt19937& random) : heldImage() {
    EXPECT_EQ(cimg_image_constructRect(&image, CIMG_TYPE_8, &area), 0);
    const cimg_window w = window();
    for (int32_t y = 0; y < w.height; ++y)
      for (int32_t x = 0; x < w.width; ++x) cimg_window_row<uint8_t>(&w, y)[x] = uint8_t(random());
  }
  // A width x height 8-bit image of the given pixels, row by row.
  heldImage(int32_t width, int32_t height, const std::vector<uint8_t>& pixels) : heldImage() {
    EXPECT_EQ(cimg_image_construct(&image, CIMG_TYPE_8, width, height), 0);
    const cimg_window w = window();
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x)
        cimg_window_row<uint8_t>(&w, y)[x] = pixels[size_t(y) * width + x];
  }
  ~heldImage() { cimg_image_destruct(&image); }
  heldImage(const heldImage&) = delete;
  heldImage& operator=(const heldImage&) = delete;

  const cimg_imageConst* constImage() const { return cimg_image_asConst(&image); }
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
  // Pixel (x, y) of the current window.
  template <class Pixel = uint8_t>
  Pixel at(int32_t x, int32_t y) const {
    const cimg_window w = window();
    return cimg_window_row<Pixel>(&w, y)[x];
  }
  // Pixel (x, y) in image coordinates, wherever the window is.
  uint8_t atImage(int32_t x, int32_t y) const {
    cimg_window w{};
    const cstd_rect32 one{x, y, 1, 1};
    EXPECT_EQ(cimg_window_initWindow(&w, &image, &one, nullptr), 0);
    return *static_cast<const uint8_t*>(w.pixels);
  }
  // Every pixel of the window, row by row.
  std::vector<uint8_t> pixels() const {
    const cimg_window w = window();
    std::vector<uint8_t> all;
    for (int32_t y = 0; y < w.height; ++y)
      for (int32_t x = 0; x < w.width; ++x) all.push_back(cimg_window_row<uint8_t>(&w, y)[x]);
    return all;
  }
  cmath_xformLinear imageFromClient() const {
    cmath_xformLinear x;
    cimg_image_getLinearImageFromClientXform(&image, &x);
    return x;
  }

  cimg_image image;
};

// Where the image-from-client transform takes a client point.
inline cmath_vect mapped(const cmath_xformLinear& x, double px, double py) {
  const cmath_vect p{px, py};
  cmath_vect out;
  cmath_xformLinear_mapPoint(&x, &p, &out);
  return out;
}
