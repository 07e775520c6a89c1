// The visit map of a 2-D search: an 8-bit image at a quarter of the search image's
// resolution, one byte per 4 x 4 pixel block, 0 = not visited. Blocks are addressed in
// the map window's own coordinates; blocks outside the window read as 0 and are never
// written, so a map that is too small cannot corrupt memory.
#pragma once

#include <stdint.h>

#include "kit/image.h"

class ccVisitMap {
 public:
  int32_t open(cimg_image* map) { return cimg_window_init(&window_, map); }

  uint8_t at(int32_t bx, int32_t by) const {
    return inside(bx, by) ? pixels()[by * window_.stride + bx] : 0;
  }
  void set(int32_t bx, int32_t by, uint8_t value) {
    if (inside(bx, by)) pixels()[by * window_.stride + bx] = value;
  }

 private:
  bool inside(int32_t bx, int32_t by) const {
    return bx >= 0 && by >= 0 && bx < window_.width && by < window_.height;
  }
  uint8_t* pixels() const { return static_cast<uint8_t*>(window_.pixels); }

  cimg_window window_{};
};
