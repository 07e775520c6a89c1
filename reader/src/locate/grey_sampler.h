// Nearest-pixel grey samples of an 8-bit image at client coordinates, for the checks
// the find-all loop makes on a found symbol.
#pragma once

#include <stdint.h>

#include "kit/image.h"

class ccGreySampler {
 public:
  explicit ccGreySampler(const cimg_image* image) {
    cimg_window_init(&window_, image);
    cimg_image_getLinearImageFromClientXform(image, &imageFromClient_);
  }

  // A client point in the window's pixel coordinates.
  cmath_vect toWindow(const cmath_vect& client) const {
    cmath_vect p;
    cmath_xformLinear_mapPoint(&imageFromClient_, &client, &p);
    return cmath_vect{p.x - window_.x0, p.y - window_.y0};
  }
  // A window point in client coordinates.
  cmath_vect toClient(double x, double y) const {
    cmath_xformLinear clientFromImage;
    cmath_xformLinear_getInverse(&imageFromClient_, &clientFromImage);
    const cmath_vect p{x + window_.x0, y + window_.y0};
    cmath_vect client;
    cmath_xformLinear_mapPoint(&clientFromImage, &p, &client);
    return client;
  }
  // The grey of the pixel holding window point (x, y), or -1 outside the window.
  int32_t grey(double x, double y) const {
    // Within the window a coordinate is not negative, so truncation is its floor.
    if (!(x >= 0 && y >= 0 && x < window_.width && y < window_.height)) return -1;
    return cimg_window_row<uint8_t>(&window_, int32_t(y))[int32_t(x)];
  }
  // The grey at window point (x, y) interpolated between the four nearest pixel centres
  // (pixel (i, j) centred at (i + 1/2, j + 1/2)), or -1 where one of them is missing.
  double bilinear(double x, double y) const {
    return interpolates(x, y, x, y) ? bilinearInside(x, y) : -1;
  }
  // Whether every point of the box from (x0, y0) to (x1, y1) has its four nearest pixel
  // centres in the window.
  bool interpolates(double x0, double y0, double x1, double y1) const {
    return x0 >= 0.5 && y0 >= 0.5 && x1 < window_.width - 0.5 && y1 < window_.height - 0.5;
  }
  // bilinear() at a point that interpolates().
  double bilinearInside(double x, double y) const {
    const double fx = x - 0.5, fy = y - 0.5;
    const int32_t i = int32_t(fx), j = int32_t(fy);  // floors: both are not negative
    const uint8_t* row0 = cimg_window_row<uint8_t>(&window_, j) + i;
    const uint8_t* row1 = row0 + window_.stride;
    const double ax = fx - i, ay = fy - j;
    const double top = row0[0] + ax * (row0[1] - row0[0]);
    const double bottom = row1[0] + ax * (row1[1] - row1[0]);
    return top + ay * (bottom - top);
  }
  // The grey at a point given in 1/256 pixel from the first pixel centre (x - 1/2 and
  // y - 1/2, times 256, truncated), times 65536: bilinear() in whole numbers, for a point
  // whose four nearest pixel centres lie in the window.
  int32_t bilinearFixed(int32_t x256, int32_t y256) const {
    const uint8_t* row0 = cimg_window_row<uint8_t>(&window_, y256 >> 8) + (x256 >> 8);
    const uint8_t* row1 = row0 + window_.stride;
    const int32_t ax = x256 & 255, ay = y256 & 255;
    const int32_t top = (row0[0] << 8) + ax * (row0[1] - row0[0]);
    const int32_t bottom = (row1[0] << 8) + ax * (row1[1] - row1[0]);
    return (top << 8) + ay * (bottom - top);
  }
  // Adds the grey of the pixel holding (x, y) to the sum when it lies in the window.
  void add(double x, double y, int64_t* sum, int32_t* count) const {
    const int32_t g = grey(x, y);
    if (g < 0) return;
    *sum += g;
    ++*count;
  }

 private:
  cimg_window window_;
  cmath_xformLinear imageFromClient_;
};

