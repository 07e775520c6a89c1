// Edge detection along scan rows and columns, shared by the seed scanners and the searches.
//
// The strength at position x of a row p is g(x) = |p[x+2] + p[x+3] + p[x+4] - p[x-1] -
// p[x] - p[x+1]|, the difference of two three-pixel sums; an edge between p[x] and p[x+1]
// peaks at x. A position reports the peak one step back when it is a strict maximum on
// its left, a non-strict one on its right (strict for the single-column scanner) and
// reaches the threshold.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <algorithm>

#include "ci_id/priv/ci_idut/locate2d.h"

// Running three-pixel sums along a row; each step reads two new pixels.
class ccRowStrength {
 public:
  ccRowStrength(const uint8_t* row, int32_t x)
      : row_(row), left_(row[x - 1] + row[x] + row[x + 1]), right_(row[x + 2] + row[x + 3] + row[x + 4]) {}
  int32_t strength() const { return abs(right_ - left_); }
  // From position x to x + 1.
  void advance(int32_t x) {
    left_ += row_[x + 2] - row_[x - 1];
    right_ += row_[x + 5] - row_[x + 2];
  }

 private:
  const uint8_t* row_;
  int32_t left_;
  int32_t right_;
};

// The peak test over the stream of strengths: s1 and s2 are the strengths one and two
// steps back.
class ccEdgePeak {
 public:
  explicit ccEdgePeak(int32_t s2Start, bool strictRight = false)
      : s1_(0), s2_(s2Start), strictRight_(strictRight) {}
  // Takes the strength at the current position; true when one step back is a peak of at
  // least threshold, whose strength is then peak().
  bool push(int32_t g, int32_t threshold) {
    const bool isPeak = s1_ > s2_ && (strictRight_ ? s1_ > g : s1_ >= g) && s1_ >= threshold;
    peak_ = s1_;
    s2_ = s1_;
    s1_ = g;
    return isPeak;
  }
  int32_t peak() const { return peak_; }
  // Goes on as if the strengths two and one steps back had been pushed.
  void resume(int32_t beforeLast, int32_t last) {
    s2_ = beforeLast;
    s1_ = last;
  }

 private:
  int32_t s1_;
  int32_t s2_;
  bool strictRight_;
  int32_t peak_ = 0;
};

// The seed of an edge found at window position (x, y), row[x] being pixel x of row y.
inline cid2d_trackingSeed cid2d_rowSeed(const uint8_t* row, int32_t x, int32_t y,
                                        int32_t strength, int32_t scanIndex) {
  cid2d_trackingSeed seed;
  seed.x = x;
  seed.y = y;
  seed.strength = strength;
  seed.meanGrey = (row[x - 1] + row[x] + row[x + 1] + row[x + 2]) / 4;
  seed.scanIndex = scanIndex;
  seed.polarity = row[x] < seed.meanGrey;
  seed.startX = (seed.x + 2) * 256;
  seed.startY = seed.y * 256;
  seed.endX = (seed.x - 1) * 256;
  seed.endY = seed.y * 256;
  return seed;
}

// The seed of an edge found at window position (x, y) of a column scan, column[y * stride]
// being pixel y of the column.
inline cid2d_trackingSeed cid2d_columnSeed(const uint8_t* column, ptrdiff_t stride, int32_t x,
                                           int32_t y, int32_t strength, int32_t scanIndex) {
  auto at = [&](int32_t r) { return int32_t(column[r * stride]); };
  cid2d_trackingSeed seed;
  seed.x = x;
  seed.y = y;
  seed.strength = strength;
  seed.meanGrey = (at(y - 1) + at(y) + at(y + 1) + at(y + 2)) / 4;
  seed.scanIndex = scanIndex;
  seed.polarity = at(y) < seed.meanGrey;
  seed.startX = x * 256;
  seed.startY = (y + 2) * 256;
  seed.endX = x * 256;
  seed.endY = (y - 1) * 256;
  return seed;
}

// Seed order: strength descending, then scan index ascending.
inline void cid2d_sortSeeds(cid2d_trackingSeed* begin, cid2d_trackingSeed* end) {
  std::sort(begin, end, [](const cid2d_trackingSeed& a, const cid2d_trackingSeed& b) {
    return a.strength != b.strength ? a.strength > b.strength : a.scanIndex < b.scanIndex;
  });
}

// The single-row scanner: seeds of strength above 44 on row y of an open window.
int32_t cid2d_getRowTrackingSeeds(const cimg_windowConst& window, int32_t y, int32_t maxSeeds,
                                  int32_t sort, cid2d_trackingSeed* seeds, int32_t* numSeeds);
// The single-column scanner: seeds on image column x of an open window where the
// single-pixel difference |p(y + 3) - p(y)| peaks above 14, strictly on both sides.
int32_t cid2d_getColumnTrackingSeeds(const cimg_windowConst& window, int32_t x, int32_t maxSeeds,
                                     int32_t sort, cid2d_trackingSeed* seeds, int32_t* numSeeds);
