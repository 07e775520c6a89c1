// The L fit of the DataMatrix finder: two long straight segments of a contour that meet
// at a corner at a nearly right angle and whose edges extend as far as a symbol's sides.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/locate2d/boundary_analysis.h"

// Which symbol shapes the fit accepts: any, rectangular (two different module counts) or
// square.
enum cid2d_shapeMode : int32_t {
  cid2d_shapeAny = -1,
  cid2d_shapeRectangular = 0,
  cid2d_shapeSquare = 1,
};

struct cid2d_lCandidate {
  bool found = false;
  cmath_vect corner{};   // the L's corner, pixels (contour coordinates)
  cmath_vect side1{};    // end of one side
  cmath_vect side2{};    // end of the other side
  cmath_vect fourth{};   // corner opposite the L's corner
  int32_t fourthCornerInferred = 1;
  int32_t score = 0;
};

// Whether the extent ratio (percent) of an L's sides fits the shape mode under the
// limits of the params' fit setting.
bool cid2d_ratioFitsShape(int64_t ratio, cid2d_shapeMode shapeMode,
                          const cid2d_trackingParams& params);

// Fits the L to the halved and smoothed contour (n points each) and its segments sorted
// by length. Returns 0 or the status of a failed attention poll.
int32_t cid2d_fitDataMatrixL(const cid2d_point* halved, const cid2d_point* smoothed, int32_t n,
                             const cid2d_segment* segments, int32_t count,
                             cid2d_shapeMode shapeMode, const cid2d_trackingParams& params,
                             cid2d_lCandidate* candidate);
