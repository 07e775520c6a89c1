// The grey-level histogram of an 8-bit window.
#include <cstring>

#include "internal.h"

namespace {

// Pixels are dealt in turn to four separate tables, so that a run of equal pixels does not
// make each increment wait for the one before it; eight pixels are read as one word.
struct subHistograms {
  uint32_t counts[4][256] = {};

  void addRow(const uint8_t* p, int32_t width) {
    int32_t c = 0;
    for (; c + 8 <= width; c += 8) {
      uint64_t eight;
      std::memcpy(&eight, p + c, sizeof eight);
      ++counts[0][eight & 0xff];
      ++counts[1][(eight >> 8) & 0xff];
      ++counts[2][(eight >> 16) & 0xff];
      ++counts[3][(eight >> 24) & 0xff];
      ++counts[0][(eight >> 32) & 0xff];
      ++counts[1][(eight >> 40) & 0xff];
      ++counts[2][(eight >> 48) & 0xff];
      ++counts[3][eight >> 56];
    }
    for (; c < width; ++c) ++counts[c & 3][p[c]];
  }
};

}  // namespace

extern "C" int32_t cip_pelHistogram8(const cimg_windowConst* source, uint32_t* histogram) {
  CIP_PEL_CHECK(source != nullptr && histogram != nullptr);
  CIP_PEL_CHECK(source->pixelType == CIMG_TYPE_8);
  subHistograms tables;
  for (int32_t r = 0; r < source->height; ++r) {
    tables.addRow(cimg_windowConst_row<uint8_t>(source, r), source->width);
  }
  for (int32_t v = 0; v < 256; ++v) {
    histogram[v] +=
        tables.counts[0][v] + tables.counts[1][v] + tables.counts[2][v] + tables.counts[3][v];
  }
  return 0;
}
