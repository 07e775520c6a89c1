// Synthetic grey images for tests: shapes rendered with exact area coverage, blur and
// noise, held in kit images.
//
// Continuous coordinates: pixel (i, j) covers [i, i + 1) x [j, j + 1), so its centre is
// (i + 0.5, j + 0.5).
#pragma once

#include <stdint.h>

#include <functional>
#include <vector>

#include "kit/image.h"

// Grey levels of a scene, row by row.
struct greyScene {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<double> grey;

  greyScene(int32_t w, int32_t h, double background) : width(w), height(h), grey(size_t(w) * h, background) {}
  double& at(int32_t x, int32_t y) { return grey[size_t(y) * width + x]; }

  // Paints the set {inside(x, y)} with the given grey, each pixel weighted by the
  // fraction of it covered (estimated on a supersampling grid).
  void paint(const std::function<bool(double, double)>& inside, double value, int supersample = 8);
  // The same over the pixels x0 <= x < x1, y0 <= y < y1 only.
  void paintWithin(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                   const std::function<bool(double, double)>& inside, double value,
                   int supersample = 8);
  void gaussianBlur(double sigma);
  void addNoise(double sigma, uint32_t seed);
  // Multiplies every pixel by gain(x, y) at its centre (uneven lighting).
  void light(const std::function<double(double, double)>& gain);
  // Adds offset(x, y) at every pixel's centre (glare, shading).
  void shade(const std::function<double(double, double)>& offset);
};

// Scenes without symbols, for the checks that nothing is found in them: uniform noise
// (0..255), Gaussian noise (mean 128, sigma 40), and lines of 5 x 7 dot-matrix glyphs
// with cells of `cell` pixels (each dot dark with probability 0.4), dark on light.
greyScene uniformNoise(int32_t width, int32_t height, uint32_t seed);
greyScene gaussianNoise(int32_t width, int32_t height, uint32_t seed);
greyScene dotMatrixText(int32_t width, int32_t height, double cell, uint32_t seed);

// A kit 8-bit image holding a scene (values rounded and clamped to 0..255), released
// with the object.
class testImage {
 public:
  explicit testImage(const greyScene& scene);
  testImage(int32_t width, int32_t height, uint8_t fill);
  ~testImage();
  testImage(const testImage&) = delete;
  testImage& operator=(const testImage&) = delete;

  cimg_image* image() { return &image_; }
  const cimg_imageConst* constImage() const { return cimg_image_asConst(&image_); }
  uint8_t& at(int32_t x, int32_t y);

 private:
  cimg_image image_;
};
