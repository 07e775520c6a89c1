// The DataMatrix searches over scan rows, walked by the reader so that each seed's edge is
// looked at before its contour is tracked.
#pragma once

#include <stdint.h>

#include <vector>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "search_state.h"

// Least row-edge strengths (three-pixel-sum differences, three times the contrast) of the
// library's searches: the default and the low-contrast one.
constexpr int32_t idread_rowEdgeStrength = 45;
constexpr int32_t idread_lowContrastEdgeStrength = 33;

// Walks the rows of params left to right, top to bottom, and offers each row edge of at
// least minStrength whose visit-map block is free, that has company on its row
// (idread_hasRowCompany) and whose edge runs on through the rows above and below
// (idread_isCoherentEdge) to the library's finder: the sequential one, or with `adaptive`
// the adaptive one, which reports an L in the result's boundary corners. Finds come one at
// a time; the walk goes on after the last.
class ccRowSearch {
 public:
  ccRowSearch(const cimg_imageConst* image, const cid2d_trackingParams& params,
              int32_t minStrength, bool adaptive);
  ccRowSearch(const ccRowSearch&) = delete;
  ccRowSearch& operator=(const ccRowSearch&) = delete;

  // The next find into state's result: 1, 0 when the rows are done, or a failing status
  // (window, memory, attention, finder).
  int32_t next(ccSearchState* state);

 private:
  bool isTracked(ccSearchState* state, const cid2d_trackingSeed& seed) const;

  const cimg_imageConst* image_;
  const cid2d_trackingParams& params_;
  int32_t minStrength_;
  bool adaptive_;
  cimg_windowConst window_{};
  cbt_runParams run_;
  cmath_xformLinear identity_;
  std::vector<cid2d_trackingSeed> seeds_;  // of the current row
  int32_t row_ = -1;                       // scan index of the current row
  int32_t numSeeds_ = 0;
  int32_t nextSeed_ = 0;
};

// Whether the edge of a row seed runs on, straight, through the rows around it: across
// the six pixels the edge strength is taken over, each pixel's second difference down its
// column (above + below - 2 x itself), summed, is at most the strength, both for the rows
// next to the seed's and for those two away. A straight edge up to 45 degrees off the
// vertical passes (at 50 degrees some of its seeds still do), its profile shifting evenly
// from row to row, blurred or moderately noisy; grain and texture, whose pixels do not
// follow their neighbours, do not. Every symbol has a side within 45 degrees of the
// vertical. A seed within two rows of the window's top or bottom does not pass.
bool idread_isCoherentEdge(const cimg_windowConst& window, const cid2d_trackingSeed& seed);

// Whether edge i of a row's edges (in order along the row) has two more edges near it: within
// 24 pixels, or three times the distance to its nearest neighbour where that is more (large
// modules). Every edge of a symbol has its modules' edges around it; a lone stroke, a
// label's border or the edge of the ground has at most one, and its contour, long and
// never a symbol's, is not worth tracking.
bool idread_hasRowCompany(const cid2d_trackingSeed* edges, int32_t count, int32_t i);
