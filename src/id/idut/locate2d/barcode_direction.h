// The bar direction of a linear barcode from the bars one scan line crosses: the contour of
// each bar, tracked from a seed on the line, has a long straight side along the bar, and
// the median slope of those sides is the bar direction.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/locate2d.h"

// The work window the seeds are found in, relative to the image's current window, and
// how its line is scanned.
struct cid2d_barScan {
  cstd_rect32 work;
  bool alongRow;   // true: the work window's middle row; false: its middle column
  int32_t minRun;  // straight runs of at most this many following points are dropped
};

struct cid2d_barDirection {
  bool measured = false;
  double theta = 0;     // bar direction: the direction angle of (slope / 1000, 1), in (0, pi)
  cmath_vect centre{};  // mean midpoint of the bars' longest sides, pixels of the window
};

// Tracks the bars on the whole image and measures their direction. A seed whose contour
// cannot be started ends the measurement with nothing measured (status 0); kit failures
// and CIDUT_ERR_NO_BOUNDARY are returned.
int32_t cid2d_measureBarDirection(const cimg_imageConst* image, const cid2d_barScan& scan,
                                  cid2d_barDirection* direction);
