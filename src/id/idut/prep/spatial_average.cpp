// Box average of an 8-bit buffer: each output pixel is the rounded mean of the box whose
// top-left pixel it is. The border that no full box reaches (the last box width - 1
// columns and box height - 1 rows) repeats the last computed column and row, so the
// output has the input's size.
//
// The general box keeps one column sum per column over the current band of rows and slides
// a window sum along them: two additions and two subtractions per pixel, whatever the box.
#include <stdint.h>
#include <string.h>

#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"

namespace {

// Columns [computed, width) of a row repeat its last computed value.
void repeatLastColumn(uint8_t* row, int32_t computed, int32_t width) {
  memset(row + computed, row[computed - 1], size_t(width - computed));
}

// Boxes of one row: 2 x 1 and 3 x 1, the common smoothing of a row of samples.
void averagePairs(const uint8_t* s, int32_t width, uint8_t* d) {
  for (int32_t x = 0; x + 1 < width; ++x) d[x] = uint8_t((s[x] + s[x + 1] + 1) >> 1);
  repeatLastColumn(d, width - 1, width);
}

void averageTriples(const uint8_t* s, int32_t width, uint8_t* d) {
  for (int32_t x = 0; x + 2 < width; ++x) d[x] = uint8_t((s[x] + s[x + 1] + s[x + 2] + 1) / 3);
  repeatLastColumn(d, width - 2, width);
}

// The general box over band sums: columns[x] = the sum of column x over the band of
// boxHeight rows starting at the output row.
struct boxAverage {
  const uint8_t* source;
  int32_t width, height, sourceStride;
  int32_t boxWidth, boxHeight;
  uint8_t* destination;
  int32_t destinationStride;

  void run(uint32_t* columns) const {
    const uint32_t area = uint32_t(boxWidth) * uint32_t(boxHeight);
    const uint32_t half = area / 2;
    const int32_t boxesPerRow = width - boxWidth + 1;
    const int32_t lastBoxRow = height - boxHeight;

    memset(columns, 0, size_t(width) * sizeof(uint32_t));
    const uint8_t* row = source;
    for (int32_t r = 0; r < boxHeight; ++r, row += sourceStride) {
      for (int32_t x = 0; x < width; ++x) columns[x] += row[x];
    }

    uint8_t* out = destination;
    for (int32_t y = 0; y <= lastBoxRow; ++y, out += destinationStride) {
      uint32_t sum = 0;
      for (int32_t x = 0; x < boxWidth; ++x) sum += columns[x];
      out[0] = uint8_t((sum + half) / area);
      for (int32_t x = 1; x < boxesPerRow; ++x) {
        sum += columns[x + boxWidth - 1] - columns[x - 1];
        out[x] = uint8_t((sum + half) / area);
      }
      if (boxesPerRow < width) repeatLastColumn(out, boxesPerRow, width);
      if (y == lastBoxRow) break;
      // The band moves down a row: its top row leaves, the row below it enters.
      const uint8_t* leaving = source + ptrdiff_t{y} * sourceStride;
      const uint8_t* entering = leaving + ptrdiff_t{boxHeight} * sourceStride;
      for (int32_t x = 0; x < width; ++x) columns[x] += entering[x] - leaving[x];
    }
  }
};

}  // namespace

extern "C" int32_t cid_spatialAverage(const uint8_t* source, int32_t width, int32_t height,
                                      int32_t sourceStride, int32_t boxWidth, int32_t boxHeight,
                                      uint8_t* destination, int32_t destinationStride) {
  CIDUT_CHECK(source != nullptr && destination != nullptr);
  CIDUT_CHECK(boxWidth >= 1 && boxHeight >= 1);
  CIDUT_CHECK(width >= boxWidth);
  CIDUT_CHECK(height >= boxHeight);
  CIDUT_CHECK(sourceStride >= width && destinationStride >= width);
  // Column sums of up to 2^24 rows of 255 fit in 32 bits, and so do box sums of 2^24 pixels.
  CIDUT_CHECK(int64_t{boxWidth} * boxHeight <= (int64_t{1} << 24));

  if (boxHeight == 1 && (boxWidth == 2 || boxWidth == 3)) {
    const uint8_t* s = source;
    uint8_t* d = destination;
    for (int32_t y = 0; y < height; ++y, s += sourceStride, d += destinationStride) {
      if (boxWidth == 2) {
        averagePairs(s, width, d);
      } else {
        averageTriples(s, width, d);
      }
    }
    return 0;
  }

  ccCleanupFrame<1> frame;
  uint32_t* columns = nullptr;
  if (frame.failed(
          csys_memory_alloc_internal(size_t(width) * sizeof(uint32_t), (void**)&columns))) {
    return frame.exit();
  }
  frame.holdBlock(&columns);
  boxAverage{source,   width,     height,      sourceStride,
             boxWidth, boxHeight, destination, destinationStride}
      .run(columns);

  const int32_t lastBoxRow = height - boxHeight;
  const uint8_t* last = destination + ptrdiff_t{lastBoxRow} * destinationStride;
  for (int32_t y = lastBoxRow + 1; y < height; ++y) {
    csys_memory_copy(size_t(width), last, destination + ptrdiff_t{y} * destinationStride);
  }
  return frame.exit();
}
