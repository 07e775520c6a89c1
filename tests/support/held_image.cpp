// The test's image holder: binding, filling and pixel access.
#include "support/held_image.h"

#include <gtest/gtest.h>

heldImage::heldImage() {
  cimg_image_constructUnbound(&image);
}

heldImage::heldImage(int32_t width, int32_t height, uint8_t fill)
    : heldImage(CIMG_TYPE_8, width, height, fill) {}

heldImage::heldImage(const cstd_rect32& area, uint8_t fill) : heldImage() {
  EXPECT_EQ(cimg_image_constructRect(&image, CIMG_TYPE_8, &area), 0);
  for (int32_t y = 0; y < area.height; ++y)
    for (int32_t x = 0; x < area.width; ++x) at(x, y) = fill;
}

heldImage::heldImage(const cstd_rect32& area, std::mt19937& random) : heldImage(area, 0) {
  for (int32_t y = 0; y < area.height; ++y)
    for (int32_t x = 0; x < area.width; ++x) at(x, y) = uint8_t(random());
}

heldImage::heldImage(const cstd_rect32& area, const std::vector<uint8_t>& pixels, int32_t margin,
                     uint8_t marginFill)
    : heldImage(
          {area.x - margin, area.y - margin, area.width + 2 * margin, area.height + 2 * margin},
          marginFill) {
  EXPECT_EQ(cimg_image_setWindowRect(&image, &area, nullptr), 0);
  for (int32_t y = 0; y < area.height; ++y)
    for (int32_t x = 0; x < area.width; ++x) at(x, y) = pixels[size_t(y) * area.width + x];
}

heldImage::heldImage(int32_t type, int32_t width, int32_t height, double fill) : heldImage() {
  EXPECT_EQ(cimg_image_construct(&image, type, width, height), 0);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      if (type == CIMG_TYPE_DOUBLE) {
        at<double>(x, y) = fill;
      } else if (type == CIMG_TYPE_32) {
        at<int32_t>(x, y) = int32_t(fill);
      } else {
        at(x, y) = uint8_t(fill);
      }
    }
  }
}

heldImage::~heldImage() {
  cimg_image_destruct(&image);
}

bool heldImage::bound() const {
  int32_t isBound = 0;
  cimg_image_getIsBound(&image, &isBound);
  return isBound != 0;
}

cimg_window heldImage::window() const {
  cimg_window w{};
  EXPECT_EQ(cimg_window_init(&w, &image), 0);
  return w;
}

cimg_window heldImage::window(const cstd_rect32& rect) const {
  cimg_window w{};
  EXPECT_EQ(cimg_window_initWindow(&w, &image, &rect, nullptr), 0);
  return w;
}

cstd_rect32 heldImage::windowRect() const {
  cstd_rect32 r{};
  EXPECT_EQ(cimg_image_getWindow(&image, &r), 0);
  return r;
}

uint8_t& heldImage::atImage(int32_t x, int32_t y) const {
  const cimg_window w = window({x, y, 1, 1});
  EXPECT_EQ(w.width * w.height, 1) << "(" << x << ", " << y << ") lies outside the image";
  return *static_cast<uint8_t*>(w.pixels);
}

std::vector<uint8_t> heldImage::pixels() const {
  const cimg_window w = window();
  std::vector<uint8_t> all;
  for (int32_t y = 0; y < w.height; ++y) {
    const uint8_t* row = cimg_window_row<uint8_t>(&w, y);
    all.insert(all.end(), row, row + w.width);
  }
  return all;
}
