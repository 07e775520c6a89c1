// The ECC 200 symbol sizes and their lookups.
#include <stdlib.h>

#include "idread/datamatrix.h"
#include "kit/system.h"

namespace {

constexpr int32_t square = IDREAD_DATAMATRIX_SQUARE;
constexpr int32_t rectangle = IDREAD_DATAMATRIX_RECTANGLE;
constexpr int32_t extended = IDREAD_DATAMATRIX_EXTENDED_RECTANGLE;

// rows, columns, regions down and across, region data height and width, data and check
// codewords, blocks, shape.
constexpr idread_DataMatrixSize sizes[] = {
    {10, 10, 1, 1, 8, 8, 3, 5, 1, square},
    {12, 12, 1, 1, 10, 10, 5, 7, 1, square},
    {14, 14, 1, 1, 12, 12, 8, 10, 1, square},
    {16, 16, 1, 1, 14, 14, 12, 12, 1, square},
    {18, 18, 1, 1, 16, 16, 18, 14, 1, square},
    {20, 20, 1, 1, 18, 18, 22, 18, 1, square},
    {22, 22, 1, 1, 20, 20, 30, 20, 1, square},
    {24, 24, 1, 1, 22, 22, 36, 24, 1, square},
    {26, 26, 1, 1, 24, 24, 44, 28, 1, square},
    {32, 32, 2, 2, 14, 14, 62, 36, 1, square},
    {36, 36, 2, 2, 16, 16, 86, 42, 1, square},
    {40, 40, 2, 2, 18, 18, 114, 48, 1, square},
    {44, 44, 2, 2, 20, 20, 144, 56, 1, square},
    {48, 48, 2, 2, 22, 22, 174, 68, 1, square},
    {52, 52, 2, 2, 24, 24, 204, 84, 2, square},
    {64, 64, 4, 4, 14, 14, 280, 112, 2, square},
    {72, 72, 4, 4, 16, 16, 368, 144, 4, square},
    {80, 80, 4, 4, 18, 18, 456, 192, 4, square},
    {88, 88, 4, 4, 20, 20, 576, 224, 4, square},
    {96, 96, 4, 4, 22, 22, 696, 272, 4, square},
    {104, 104, 4, 4, 24, 24, 816, 336, 6, square},
    {120, 120, 6, 6, 18, 18, 1050, 408, 6, square},
    {132, 132, 6, 6, 20, 20, 1304, 496, 8, square},
    {144, 144, 6, 6, 22, 22, 1558, 620, 10, square},
    {8, 18, 1, 1, 6, 16, 5, 7, 1, rectangle},
    {8, 32, 1, 2, 6, 14, 10, 11, 1, rectangle},
    {12, 26, 1, 1, 10, 24, 16, 14, 1, rectangle},
    {12, 36, 1, 2, 10, 16, 22, 18, 1, rectangle},
    {16, 36, 1, 2, 14, 16, 32, 24, 1, rectangle},
    {16, 48, 1, 2, 14, 22, 49, 28, 1, rectangle},
    {8, 48, 1, 2, 6, 22, 18, 15, 1, extended},
    {8, 64, 1, 4, 6, 14, 24, 18, 1, extended},
    {8, 80, 1, 4, 6, 18, 32, 22, 1, extended},
    {8, 96, 1, 4, 6, 22, 38, 28, 1, extended},
    {8, 120, 1, 6, 6, 18, 49, 32, 1, extended},
    {8, 144, 1, 6, 6, 22, 63, 36, 1, extended},
    {12, 64, 1, 4, 10, 14, 43, 27, 1, extended},
    {12, 88, 1, 4, 10, 20, 64, 36, 1, extended},
    {16, 64, 1, 4, 14, 14, 62, 36, 1, extended},
    {20, 36, 1, 2, 18, 16, 44, 28, 1, extended},
    {20, 44, 1, 2, 18, 20, 56, 34, 1, extended},
    {20, 64, 1, 4, 18, 14, 84, 42, 1, extended},
    {22, 48, 1, 2, 20, 22, 72, 38, 1, extended},
    {24, 48, 1, 2, 22, 22, 80, 41, 1, extended},
    {24, 64, 1, 4, 22, 14, 108, 46, 1, extended},
    {26, 40, 1, 2, 24, 18, 70, 38, 1, extended},
    {26, 48, 1, 2, 24, 22, 90, 42, 1, extended},
    {26, 64, 1, 4, 24, 14, 118, 50, 1, extended},
};
constexpr int32_t sizeCount = int32_t(sizeof sizes / sizeof sizes[0]);
static_assert(sizeCount == 48);

}  // namespace

extern "C" const idread_DataMatrixSize* idread_dataMatrixSizes(int32_t* count) {
  if (!count) cstd_assert_(__LINE__);
  *count = sizeCount;
  return sizes;
}

extern "C" const idread_DataMatrixSize* idread_dataMatrixSizeFind(int32_t rows, int32_t columns) {
  for (const idread_DataMatrixSize& size : sizes) {
    if (size.rows == rows && size.columns == columns) return &size;
  }
  return nullptr;
}

extern "C" const idread_DataMatrixSize* idread_dataMatrixSizeNearest(int32_t rows, int32_t columns,
                                                                     int32_t shapeMask) {
  const idread_DataMatrixSize* best = nullptr;
  int32_t bestDistance = 0;
  for (const idread_DataMatrixSize& size : sizes) {
    if (!(shapeMask & (1 << size.shape))) continue;
    const int32_t distance = abs(size.rows - rows) + abs(size.columns - columns);
    const bool smaller = best && size.rows * size.columns < best->rows * best->columns;
    if (!best || distance < bestDistance || (distance == bestDistance && smaller)) {
      best = &size;
      bestDistance = distance;
    }
  }
  return best;
}
