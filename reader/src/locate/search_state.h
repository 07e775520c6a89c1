// What a find-all loop keeps for one image while it calls the library's searches: the
// mask of claimed regions, the visit map of tracked edges and the search result.
#pragma once

#include <stdint.h>

#include <array>
#include <memory>
#include <vector>

#include "ci_id/priv/ci_idut/geometry.h"
#include "ci_id/priv/ci_idut/locate2d.h"
#include "kit/image.h"

class ccSearchState {
 public:
  ccSearchState();
  ~ccSearchState();
  ccSearchState(const ccSearchState&) = delete;
  ccSearchState& operator=(const ccSearchState&) = delete;

  // The mask of the image, with nothing claimed yet.
  int32_t buildMask(const cimg_image* image);
  // A zeroed visit map with one byte per 4 x 4 block of a width x height window.
  int32_t clearVisits(int32_t width, int32_t height);
  // Claims the quadrilateral (perimeter order, client coordinates) in the mask, `quiet`
  // client units wider on each side and a little more, so that seeds on its outer edge
  // and its quiet zone's are not tried again.
  int32_t claim(const cmath_vect corners[4], double quiet = 0);
  // Whether window pixel (x, y) lies well inside a claimed convex quadrilateral (its
  // painted margin aside): the finder would refuse a seed there, so it need not be asked.
  // A point it does not vouch for may still be claimed.
  bool insideClaimed(int32_t x, int32_t y) const;
  // Marks the visit-map block of window pixel (x, y), so that no search tries a seed there.
  void markVisited(int32_t x, int32_t y);
  // The visit-map value of window pixel (x, y)'s block: 0 where no search has tracked a
  // contour, and outside the map.
  uint8_t visitMark(int32_t x, int32_t y) {
    const uint8_t* block = visitBlock(x, y);
    return block ? *block : 0;
  }

  cid_mask* mask() { return &mask_; }
  cimg_image* visits() { return &visits_; }
  // The ring finder's result; the DataMatrix searches use its tracking part.
  cid2d_pdpResult found;
  cid2d_trackingResult& result() { return found.tracking; }

 private:
  cid_mask mask_;
  bool maskBuilt_ = false;
  // The claimed quadrilaterals in window pixels, turned counter-clockwise (x right, y
  // down), each side as the line a x + b y + c = 0 with (a, b) of unit length pointing in.
  struct side {
    double a, b, c;
  };
  std::vector<std::array<side, 4>> claimed_;
  cmath_xformLinear imageFromClient_{};
  int32_t windowX0_ = 0, windowY0_ = 0;
  // The block of window pixel (x, y) in the visit map, null outside it.
  uint8_t* visitBlock(int32_t x, int32_t y) {
    const int32_t bx = x >> 2, by = y >> 2;
    return bx >= 0 && by >= 0 && bx < visitWindow_.width && by < visitWindow_.height
               ? cimg_window_row<uint8_t>(&visitWindow_, by) + bx
               : nullptr;
  }

  cimg_image visits_;
  cimg_window visitWindow_{};  // of visits_, once cleared
};

// The search parameters over scan rows `spacing` pixels apart, from first + margin below
// the window's top to `margin` above its bottom, with the finders' work memory.
class ccScanRows {
 public:
  ccScanRows(const cimg_windowConst& window, int32_t spacing, int32_t margin, double minSize,
             double maxSize, int32_t first);
  ccScanRows(const ccScanRows&) = delete;
  ccScanRows& operator=(const ccScanRows&) = delete;

  cid2d_trackingParams params;  // points into the rows and the work memory below

 private:
  std::vector<int32_t> rows_;
  std::unique_ptr<uint64_t[]> scratch_;  // the finders write before they read: not cleared
};
