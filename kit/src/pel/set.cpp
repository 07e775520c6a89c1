// Setting the pixels of a window to one value.
#include <cstring>

#include "kit/pel.h"
#include "kit/system.h"

#define CIP_CHECK(condition) ((condition) ? (void)0 : cstd_assert_(__LINE__))

extern "C" int32_t cip_pelSet8(const cimg_window* window, uint8_t value) {
  CIP_CHECK(window != nullptr);
  CIP_CHECK(window->pixelType == CIMG_TYPE_8);
  if (window->width <= 0) return 0;
  const size_t width = static_cast<size_t>(window->width);
  for (int32_t r = 0; r < window->height; ++r) {
    std::memset(cimg_window_row<uint8_t>(window, r), value, width);
  }
  return 0;
}
