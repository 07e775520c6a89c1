// Whether the pixel memory of two windows overlaps.
#include <algorithm>
#include <cstdint>
#include <utility>

#include "internal.h"

namespace {

// The bytes of a window's pixels: rows of rowBytes bytes, strideBytes apart, from first.
struct pixelBytes {
  intptr_t first;
  int64_t rowBytes;
  int64_t strideBytes;
  int64_t rows;
};

template <class Record>
pixelBytes bytesOf(const Record& window) {
  return {reinterpret_cast<intptr_t>(window.pixels), int64_t{window.width} * window.pixelType,
          int64_t{window.stride} * window.pixelType, window.height};
}

// Half-open span from the first byte of the first row to the end of the last row.
void spanOf(const pixelBytes& p, int64_t* begin, int64_t* end) {
  const int64_t lastRow = int64_t(p.first) + (p.rows - 1) * p.strideBytes;
  *begin = std::min<int64_t>(p.first, lastRow);
  *end = std::max<int64_t>(p.first, lastRow) + p.rowBytes;
}

// Two windows on one row pitch s, b starting d >= 0 bytes after a, d = q s + m. Row j of b
// lies across rows q + j and q + j + 1 of a's pitch: it meets a's row q + j where a's row
// reaches past m, and a's row q + j + 1 where b's row reaches past s - m. Row j = 0 is the
// first to do either, so it decides.
bool samePitchOverlap(const pixelBytes& a, const pixelBytes& b) {
  const int64_t s = a.strideBytes;
  const int64_t d = b.first - a.first;
  const int64_t q = d / s, m = d % s;
  return (m < a.rowBytes && q < a.rows) || (b.rowBytes > s - m && q + 1 < a.rows);
}

}  // namespace

extern "C" int32_t cip_pelfunc_checkMemoryOverlap(const cimg_windowConst* source,
                                                  const cimg_window* destination) {
  CIP_PEL_CHECK(source != nullptr && destination != nullptr);
  pixelBytes a = bytesOf(*source), b = bytesOf(*destination);
  if (a.rowBytes <= 0 || a.rows <= 0 || b.rowBytes <= 0 || b.rows <= 0) return 0;
  const bool rowsFitPitch = a.strideBytes > 0 && a.strideBytes == b.strideBytes &&
                            a.rowBytes <= a.strideBytes && b.rowBytes <= b.strideBytes;
  bool overlap;
  if (rowsFitPitch) {
    if (b.first < a.first) std::swap(a, b);
    overlap = samePitchOverlap(a, b);
  } else {
    int64_t aBegin, aEnd, bBegin, bEnd;
    spanOf(a, &aBegin, &aEnd);
    spanOf(b, &bBegin, &bEnd);
    overlap = aBegin < bEnd && bBegin < aEnd;
  }
  return overlap ? CIP_STATUS_MEMORY_OVERLAP : 0;
}
