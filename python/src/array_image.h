// 2-D uint8 numpy arrays as 8-bit kit images, and kit image windows as new numpy arrays.
#pragma once

#include <pybind11/numpy.h>
#include <stdint.h>

#include "kit/image.h"

// An 8-bit kit image over the pixels of a 2-D uint8 array (rows, columns), origin (0, 0).
// Rows laid out as the kit lays out its own, one byte per pixel and a row pitch of the
// width rounded up to 16 bytes (any C-ordered array whose width is a multiple of 16, or a
// view of one), are used in place; any other layout is copied once. The array must not be
// written while the image is in use. Make and drop it with the GIL held.
class idutpy_arrayImage {
 public:
  // TypeError for a dtype other than uint8; ValueError for other than 2 dimensions or an
  // empty array.
  explicit idutpy_arrayImage(const pybind11::array& array);
  ~idutpy_arrayImage();
  idutpy_arrayImage(const idutpy_arrayImage&) = delete;
  idutpy_arrayImage& operator=(const idutpy_arrayImage&) = delete;

  const cimg_image* image() const { return &image_; }
  const cimg_imageConst* imageConst() const { return cimg_image_asConst(&image_); }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }

 private:
  pybind11::object array_;  // holds the pixels used in place
  cimg_image image_;
  int32_t width_;
  int32_t height_;
};

// The area (image coordinates) of the image as a new C-ordered array of its pixels; the
// area's pixels outside the image's window, or all of them for an unbound image, are 0.
// Pixel is uint8_t for 8-bit images and double for double images. Needs the GIL.
template <class Pixel>
pybind11::array_t<Pixel> idutpy_arrayFromImage(const cimg_image* image, const cstd_rect32& area);
