// Image files for the tools: 8-bit grey images read from PGM (P5, P2) and PNG into kit
// images, RGB pictures written as PNG.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "kit/image.h"

// An 8-bit kit image owned by the object (unbound until something is read into it).
class ccGreyImage {
 public:
  ccGreyImage() { cimg_image_constructUnbound(&image_); }
  ~ccGreyImage() { cimg_image_destruct(&image_); }
  ccGreyImage(const ccGreyImage&) = delete;
  ccGreyImage& operator=(const ccGreyImage&) = delete;

  cimg_image* image() { return &image_; }
  const cimg_image* image() const { return &image_; }

 private:
  cimg_image image_;
};

// Reads a PGM (binary P5 or plain P2; samples above 8 bits scaled to 0..255) or a PNG
// (colour turned grey, 16-bit reduced to 8, transparency laid over white), recognised by
// its first bytes, into a new image of the file's size with origin (0, 0) and identity
// transforms. On failure returns false, says why in *error and leaves image as it was.
bool idut_readGreyImage(const std::string& path, ccGreyImage* image, std::string* error);

// Images of more pixels than the limit are refused from their declared size, before
// anything is allocated for them. The default holds any camera's picture; the limit is
// the program's, for every thread.
constexpr int64_t idut_defaultMaxPixels = int64_t{1} << 28;
void idut_setMaxImagePixels(int64_t pixels);

// A picture in 8-bit RGB, row by row without padding.
struct idut_rgbPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes per pixel
};

// The grey image's window as an RGB picture (each grey level on all three channels).
idut_rgbPicture idut_rgbPicture_fromGrey(const cimg_image* image);
bool idut_writePng(const std::string& path, const idut_rgbPicture& picture, std::string* error);
