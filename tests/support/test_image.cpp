// Scenes held in kit images for the tests, the scene generator and the benchmarks.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "support/synthetic.h"

testImage::testImage(int32_t width, int32_t height, uint8_t fill) {
  if (cimg_image_construct(&image_, CIMG_TYPE_8, width, height) < 0) {
    std::fprintf(stderr, "no memory for a %d x %d test image\n", width, height);
    std::abort();
  }
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) at(x, y) = fill;
}

testImage::testImage(const greyScene& scene) : testImage(scene.width, scene.height, 0) {
  for (int32_t y = 0; y < scene.height; ++y)
    for (int32_t x = 0; x < scene.width; ++x)
      at(x, y) = uint8_t(std::clamp(std::lround(scene.grey[size_t(y) * scene.width + x]), 0L, 255L));
}

testImage::~testImage() { cimg_image_destruct(&image_); }

uint8_t& testImage::at(int32_t x, int32_t y) {
  cimg_window window;
  cimg_window_init(&window, &image_);
  return static_cast<uint8_t*>(window.pixels)[y * window.stride + x];
}
