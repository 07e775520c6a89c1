// What the fuzz targets share: reading parameters off the front of an input, a check that
// names the broken property before aborting (libFuzzer then keeps the input), and grey
// images drawn from input bytes.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "kit/image.h"
#include "kit/math.h"

#define FUZZ_REQUIRE(condition) \
  ((condition) ? (void)0 : fuzz_fail(#condition, __FILE__, __LINE__))

[[noreturn]] inline void fuzz_fail(const char* property, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, property);
  std::abort();
}

// The input read front to back; past its end every byte reads as 0, so that a short input
// still makes a complete (if dull) case.
class fuzz_input {
 public:
  fuzz_input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  bool flag() { return byte() & 1; }
  // lo + the next bytes modulo the range (little-endian, as many bytes as the range needs).
  int64_t range(int64_t lo, int64_t hi) {
    FUZZ_REQUIRE(lo <= hi);
    const uint64_t span = uint64_t(hi - lo) + 1;
    uint64_t value = 0;
    for (uint64_t reach = 1; reach < span && reach != 0; reach <<= 8) value = value << 8 | byte();
    return lo + int64_t(span == 0 ? value : value % span);
  }
  const uint8_t* rest() const { return data_ + pos_; }
  size_t restSize() const { return size_ - pos_; }
  void skip(size_t n) { pos_ = n < restSize() ? pos_ + n : size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// count distinct values of 0..n-1 in an order the input chooses (a partial shuffle).
inline std::vector<int32_t> fuzz_distinctPicks(fuzz_input& in, int32_t n, int32_t count) {
  std::vector<int32_t> values(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) values[size_t(i)] = i;
  for (int32_t i = 0; i < count; ++i) std::swap(values[size_t(i)], values[size_t(in.range(i, n - 1))]);
  values.resize(size_t(count));
  return values;
}

// An 8-bit image owned by the object, origin (0, 0), window the whole image.
class fuzz_greyImage {
 public:
  fuzz_greyImage(int32_t width, int32_t height) {
    cimg_image_constructUnbound(&image_);
    FUZZ_REQUIRE(cimg_image_construct(&image_, CIMG_TYPE_8, width, height) == 0);
    cimg_window_init(&window_, &image_);
  }
  ~fuzz_greyImage() { cimg_image_destruct(&image_); }
  fuzz_greyImage(const fuzz_greyImage&) = delete;
  fuzz_greyImage& operator=(const fuzz_greyImage&) = delete;

  cimg_image* image() { return &image_; }
  uint8_t& at(int32_t x, int32_t y) { return cimg_window_row<uint8_t>(&window_, y)[x]; }
  int32_t width() const { return window_.width; }
  int32_t height() const { return window_.height; }

 private:
  cimg_image image_;
  cimg_window window_;
};

// Fills the image with cells of cell x cell pixels, one input byte each (grey level), row
// by row; cells past the end of the input are white. Large cells let short inputs draw
// shapes that span many pixels.
inline void fuzz_drawCells(fuzz_input& in, int32_t cell, fuzz_greyImage* image) {
  const int32_t across = (image->width() + cell - 1) / cell;
  const int32_t down = (image->height() + cell - 1) / cell;
  const uint8_t* cells = in.rest();
  const size_t available = in.restSize();
  for (int32_t y = 0; y < image->height(); ++y)
    for (int32_t x = 0; x < image->width(); ++x) {
      const size_t i = size_t(y / cell) * across + x / cell;
      image->at(x, y) = i < available ? cells[i] : 255;
    }
  in.skip(size_t(across) * down);
}

// True when the point is finite and at most margin pixels outside width x height.
inline bool fuzz_isNear(const cmath_vect& p, int32_t width, int32_t height, double margin) {
  return std::isfinite(p.x) && std::isfinite(p.y) && p.x >= -margin && p.y >= -margin &&
         p.x <= width + margin && p.y <= height + margin;
}
