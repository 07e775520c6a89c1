// Grey dilation and erosion by any element, tap by tap: each output row is the extremum of
// one source row segment per offset. Source rows are extended by their end pixels and kept
// in a ring of the 2 ry + 1 rows around the output row, so that no tap needs a bounds test.
#include <algorithm>
#include <cstring>

#include "internal.h"

namespace {

constexpr int32_t lanes = cip_lanes::count;

// How far the element reaches across and down, no further than the window is wide and high:
// an offset beyond the last column (row) lands on it from every pixel, as one just to it.
struct reach {
  int32_t x;
  int32_t y;
};

reach reachOf(const cip_gmorphElementArray& element, int32_t width, int32_t height) {
  int64_t x = 0, y = 0;
  for (int32_t j = 0; j < element.count; ++j) {
    x = std::max(x, std::abs(int64_t{element.offsets[2 * j]}));
    y = std::max(y, std::abs(int64_t{element.offsets[2 * j + 1]}));
  }
  return {int32_t(std::min<int64_t>(x, width - 1)), int32_t(std::min<int64_t>(y, height - 1))};
}

}  // namespace

size_t cip_gmorph_offsetsScratchBytes(int32_t width, int32_t height,
                                      const cip_gmorphElementArray& element) {
  if (width <= 0 || height <= 0) return 0;
  const reach r = reachOf(element, width, height);
  return size_t(element.count) * sizeof(const uint8_t*) +
         (2 * size_t(r.y) + 1) * (size_t(width) + 2 * size_t(r.x));
}

template <class Extremum>
void cip_gmorph_offsets(const cimg_windowConst& source, const cimg_window& destination,
                        const cip_gmorphElementArray& element, void* scratch) {
  const int32_t width = source.width, height = source.height;
  if (width <= 0 || height <= 0) return;
  const reach r = reachOf(element, width, height);
  const uint8_t** taps = static_cast<const uint8_t**>(scratch);
  uint8_t* ring = reinterpret_cast<uint8_t*>(taps + element.count);
  const int64_t ringRows = 2 * int64_t{r.y} + 1;
  const ptrdiff_t paddedWidth = ptrdiff_t{width} + 2 * r.x;
  auto extendRow = [&](int32_t y) {
    const uint8_t* in = cimg_windowConst_row<uint8_t>(&source, y);
    uint8_t* padded = ring + (y % ringRows) * paddedWidth;
    std::memset(padded, in[0], size_t(r.x));
    std::memcpy(padded + r.x, in, size_t(width));
    std::memset(padded + r.x + width, in[width - 1], size_t(r.x));
  };
  for (int32_t y = 0; y <= r.y; ++y) extendRow(y);

  for (int32_t y = 0; y < height; ++y) {
    if (y > 0 && y + r.y < height) extendRow(y + r.y);
    for (int32_t j = 0; j < element.count; ++j) {
      const int32_t dx = std::clamp(element.offsets[2 * j], -r.x, r.x);
      const int32_t dy = std::clamp(element.offsets[2 * j + 1], -r.y, r.y);
      const int32_t row = std::clamp(y + dy, 0, height - 1);
      taps[j] = ring + (row % ringRows) * paddedWidth + r.x + dx;
    }
    uint8_t* out = cimg_window_row<uint8_t>(&destination, y);
    int32_t x = 0;
    // Four registers a tap while the row lasts, to spread the cost of fetching each tap.
    for (; x + 4 * lanes <= width; x += 4 * lanes) {
      cip_lanes::bytes e[4];
#pragma GCC unroll 4
      for (int32_t u = 0; u < 4; ++u) e[u] = cip_lanes::load(taps[0] + x + u * lanes);
      for (int32_t j = 1; j < element.count; ++j) {
        const uint8_t* tap = taps[j] + x;
#pragma GCC unroll 4
        for (int32_t u = 0; u < 4; ++u)
          e[u] = Extremum::many(e[u], cip_lanes::load(tap + u * lanes));
      }
#pragma GCC unroll 4
      for (int32_t u = 0; u < 4; ++u) cip_lanes::store(out + x + u * lanes, e[u]);
    }
    for (; x + lanes <= width; x += lanes) {
      cip_lanes::bytes e = cip_lanes::load(taps[0] + x);
      for (int32_t j = 1; j < element.count; ++j) {
        e = Extremum::many(e, cip_lanes::load(taps[j] + x));
      }
      cip_lanes::store(out + x, e);
    }
    for (; x < width; ++x) {
      uint8_t e = taps[0][x];
      for (int32_t j = 1; j < element.count; ++j) e = Extremum::one(e, taps[j][x]);
      out[x] = e;
    }
  }
}

template void cip_gmorph_offsets<cip_gmorph_greatest>(const cimg_windowConst&, const cimg_window&,
                                                      const cip_gmorphElementArray&, void*);
template void cip_gmorph_offsets<cip_gmorph_least>(const cimg_windowConst&, const cimg_window&,
                                                   const cip_gmorphElementArray&, void*);
