// The ink box of a window that may hold nothing but a symbol.
#include "cropped_symbol.h"

#include <algorithm>

#include "grey_sampler.h"

namespace {

// Grey levels between the darkest and the lightest pixel below which there is no print.
constexpr int32_t minContrast = 32;

}  // namespace

bool idread_croppedSymbolBox(const cimg_image* image, std::array<cmath_vect, 4>* corners) {
  cimg_window window;
  if (cimg_window_init(&window, image) < 0 || window.pixelType != CIMG_TYPE_8 ||
      window.width > idread_cropLimit || window.height > idread_cropLimit)
    return false;
  int32_t darkest = 255, lightest = 0;
  for (int32_t y = 0; y < window.height; ++y) {
    const uint8_t* row = cimg_window_row<uint8_t>(&window, y);
    const auto [lo, hi] = std::minmax_element(row, row + window.width);
    darkest = std::min<int32_t>(darkest, *lo), lightest = std::max<int32_t>(lightest, *hi);
  }
  if (lightest - darkest < minContrast) return false;
  const int32_t middle = (darkest + lightest) / 2;
  int32_t x0 = window.width, y0 = window.height, x1 = -1, y1 = -1;
  for (int32_t y = 0; y < window.height; ++y) {
    const uint8_t* row = cimg_window_row<uint8_t>(&window, y);
    for (int32_t x = 0; x < window.width; ++x) {
      if (row[x] >= middle) continue;
      x0 = std::min(x0, x), x1 = std::max(x1, x);
      y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
  }
  // Pixel edges, not centres: the box holds the outer ink pixels whole.
  const ccGreySampler sampler(image);
  const double left = x0, top = y0, right = x1 + 1, bottom = y1 + 1;
  *corners = {sampler.toClient(left, top), sampler.toClient(right, top),
              sampler.toClient(right, bottom), sampler.toClient(left, bottom)};
  return true;
}
