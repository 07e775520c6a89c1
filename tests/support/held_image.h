// A kit image held by a test: unbound until bound to new pixels, released with the object,
// read and written through its current window or in image coordinates.
#pragma once

#include <stdint.h>

#include <random>
#include <vector>

#include "kit/image.h"

class heldImage {
 public:
  heldImage();
  // A new width x height 8-bit image at origin (0, 0), every pixel fill.
  heldImage(int32_t width, int32_t height, uint8_t fill);
  // A new 8-bit image covering area (image coordinates): every pixel fill, or random bytes.
  heldImage(const cstd_rect32& area, uint8_t fill);
  heldImage(const cstd_rect32& area, std::mt19937& random);
  // A new 8-bit image windowed to area (image coordinates), the window holding the given
  // pixels row by row, with margin pixels of marginFill around it.
  heldImage(const cstd_rect32& area, const std::vector<uint8_t>& pixels, int32_t margin = 0,
            uint8_t marginFill = 0);
  // A new width x height image of the kit's pixel type (CIMG_TYPE_8, CIMG_TYPE_32 read as
  // int32_t, CIMG_TYPE_DOUBLE), every pixel fill.
  heldImage(int32_t type, int32_t width, int32_t height, double fill);
  ~heldImage();
  heldImage(const heldImage&) = delete;
  heldImage& operator=(const heldImage&) = delete;

  bool bound() const;
  const cimg_imageConst* constImage() const { return cimg_image_asConst(&image); }
  // The record of the current window, or of rect (image coordinates) clipped to the image.
  cimg_window window() const;
  cimg_window window(const cstd_rect32& rect) const;
  cstd_rect32 windowRect() const;
  // Pixel (x, y) of the current window.
  template <class Pixel = uint8_t>
  Pixel& at(int32_t x, int32_t y) const {
    const cimg_window w = window();
    return cimg_window_row<Pixel>(&w, y)[x];
  }
  // Pixel (x, y) in image coordinates, inside the window or not.
  uint8_t& atImage(int32_t x, int32_t y) const;
  // The window's pixels, row by row.
  std::vector<uint8_t> pixels() const;

  cimg_image image;
};

// The read-only record of the same pixels.
inline cimg_windowConst readOnly(const cimg_window& w) {
  return {w.width, w.height, w.x0, w.y0, w.stride, w.pixelType, w.pixels, w.storage};
}
