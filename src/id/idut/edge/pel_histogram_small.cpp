// The 256-bin histogram of a small 8-bit region, unrolled for the short rows (symbol cells,
// 32-pixel tiles) it is used on.
#include <utility>

#include "ci_id/priv/ci_idut/edge.h"
#include "id/idut/frame/check.h"

namespace {

// Four pixels per step, then the one to three left over.
void addRow(const uint8_t* p, int32_t width, uint32_t* histogram) {
  int32_t x = 0;
  for (; x + 4 <= width; x += 4) {
    ++histogram[p[x]];
    ++histogram[p[x + 1]];
    ++histogram[p[x + 2]];
    ++histogram[p[x + 3]];
  }
  switch (width - x) {
    case 3:
      ++histogram[p[x + 2]];
      [[fallthrough]];
    case 2:
      ++histogram[p[x + 1]];
      [[fallthrough]];
    case 1:
      ++histogram[p[x]];
  }
}

// A row of 32 pixels, fully unrolled.
template <size_t... X>
void addRow32(const uint8_t* p, uint32_t* histogram, std::index_sequence<X...>) {
  (++histogram[p[X]], ...);
}

}  // namespace

extern "C" int32_t cfPelHistogramSmall(const uint8_t* first, int32_t width, int32_t height,
                                       int32_t stride, uint32_t* histogram) {
  CIDUT_CHECK(first && histogram);
  CIDUT_CHECK(width >= 1 && height >= 1 && stride > 0);
  const uint8_t* row = first;
  for (int32_t r = 0; r < height; ++r, row += stride) {
    if (width == 32) {
      addRow32(row, histogram, std::make_index_sequence<32>());
    } else {
      addRow(row, width, histogram);
    }
  }
  return 0;
}
