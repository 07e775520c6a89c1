// The diagonal codeword placement of ECC 200. Codewords run in two-module-wide diagonal
// strips, alternately up-right and down-left, each an L-shaped "utah" of 8 modules; four
// corner shapes take the codewords that the strips would split across the edges. Strips
// leaving the area on one side wrap around to the opposite one.
#include "datamatrix/placement.h"

#include "kit/system.h"

namespace {

class placementWalk {
 public:
  placementWalk(const idread_DataMatrixSize& size, uint16_t* table, uint8_t* occupied)
      : size_(size),
        rows_(size.regionRows * size.regionHeight),
        columns_(size.regionColumns * size.regionWidth),
        table_(table),
        occupied_(occupied) {
    csys_memory_fill(0, size_t(rows_) * columns_, occupied_);
  }

  void run() {
    int32_t row = 4;
    int32_t column = 0;
    do {
      if (row == rows_ && column == 0) cornerA();
      if (row == rows_ - 2 && column == 0 && columns_ % 4 != 0) cornerB();
      if (row == rows_ - 2 && column == 0 && columns_ % 8 == 4) cornerC();
      if (row == rows_ + 4 && column == 2 && columns_ % 8 == 0) cornerD();
      do {  // up and to the right
        if (row < rows_ && column >= 0 && !isOccupied(row, column)) utah(row, column);
        row -= 2;
        column += 2;
      } while (row >= 0 && column < columns_);
      row += 1;
      column += 3;
      do {  // down and to the left
        if (row >= 0 && column < columns_ && !isOccupied(row, column)) utah(row, column);
        row += 2;
        column -= 2;
      } while (row < rows_ && column >= 0);
      row += 3;
      column += 1;
    } while (row < rows_ || column < columns_);
  }

 private:
  bool isOccupied(int32_t row, int32_t column) const {
    return occupied_[row * columns_ + column] != 0;
  }

  // Bit `bit` of the current codeword at (row, column), wrapped around the area's edges.
  void place(int32_t row, int32_t column, int32_t bit) {
    if (row < 0) {
      row += rows_;
      column += 4 - ((rows_ + 4) % 8);
    }
    if (column < 0) {
      column += columns_;
      row += 4 - ((columns_ + 4) % 8);
    }
    // Areas of 24 rows and 36 or 44 columns wrap their first corner below the bottom.
    if (row >= rows_) row -= rows_;
    occupied_[row * columns_ + column] = 1;
    const int32_t symbolRow = row + 1 + 2 * (row / size_.regionHeight);
    const int32_t symbolColumn = column + 1 + 2 * (column / size_.regionWidth);
    table_[8 * codeword_ + bit] = uint16_t(symbolRow * size_.columns + symbolColumn);
  }

  // The eight modules of one codeword as (row, column) pairs, most significant first.
  void shape(const int32_t (&at)[8][2]) {
    for (int32_t bit = 0; bit < 8; ++bit) place(at[bit][0], at[bit][1], bit);
    ++codeword_;
  }

  void utah(int32_t r, int32_t c) {
    shape({{r - 2, c - 2}, {r - 2, c - 1}, {r - 1, c - 2}, {r - 1, c - 1},
           {r - 1, c}, {r, c - 2}, {r, c - 1}, {r, c}});
  }
  void cornerA() {
    const int32_t n = rows_, m = columns_;
    shape({{n - 1, 0}, {n - 1, 1}, {n - 1, 2}, {0, m - 2},
           {0, m - 1}, {1, m - 1}, {2, m - 1}, {3, m - 1}});
  }
  void cornerB() {
    const int32_t n = rows_, m = columns_;
    shape({{n - 3, 0}, {n - 2, 0}, {n - 1, 0}, {0, m - 4},
           {0, m - 3}, {0, m - 2}, {0, m - 1}, {1, m - 1}});
  }
  void cornerC() {
    const int32_t n = rows_, m = columns_;
    shape({{n - 3, 0}, {n - 2, 0}, {n - 1, 0}, {0, m - 2},
           {0, m - 1}, {1, m - 1}, {2, m - 1}, {3, m - 1}});
  }
  void cornerD() {
    const int32_t n = rows_, m = columns_;
    shape({{n - 1, 0}, {n - 1, m - 1}, {0, m - 3}, {0, m - 2},
           {0, m - 1}, {1, m - 3}, {1, m - 2}, {1, m - 1}});
  }

  const idread_DataMatrixSize& size_;
  const int32_t rows_;     // data modules of the joined regions
  const int32_t columns_;
  uint16_t* table_;
  uint8_t* occupied_;
  int32_t codeword_ = 0;
};

}  // namespace

void idread_buildPlacement(const idread_DataMatrixSize& size, uint16_t* table, uint8_t* occupied) {
  placementWalk(size, table, occupied).run();
}
