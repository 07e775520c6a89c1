// The segment walker: an integer Bresenham walk over the pixels of a clipped scan
// segment that carries the address of the current pixel of an 8-bit window, so that a
// scan loop reads each pixel and its neighbours at fixed offsets.
//
// The caller holds the moving state: position (x, y), starting at (x0, y0); the error
// term, starting at 0; and the address of the current pixel.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/scan.h"

struct cidc_lineWalk {
  int32_t x0, y0, x1, y1;  // start and end pixel: the pix of seg
  cidc_scanLineSeg seg;    // the shape clipped to the ROI
  int32_t endMajor;        // end coordinate on the dominant axis
  int32_t stepMajor;       // +1 or -1 on the dominant and the other axis
  int32_t stepMinor;
  int32_t dMajor;  // extents on the dominant and the other axis
  int32_t dMinor;
  int32_t steep;     // 1 when the dominant axis is y
  int32_t offMajor;  // address change for a step on the dominant and the other axis
  int32_t offMinor;
};

// Clips the shape against the ROI into walk->seg and prepares a walk over it; a
// degenerate clip walks the one pixel (0, 0). Returns the clip's status.
int32_t cidc_lineWalk_init(cidc_lineWalk* walk, const cidc_windowROI* roi,
                           const cidc_scanShape* shape, int32_t rowStride);

// Moves to the next pixel of the walk (*moved = 1), or sets *moved = 0 and changes nothing
// at the end. A walk visits dMajor + 1 pixels, both ends included.
inline void cidc_lineWalk_step(const cidc_lineWalk* walk, int32_t position[2], int32_t* error,
                               int32_t* moved, const uint8_t** address) {
  int32_t& major = position[walk->steep ? 1 : 0];
  int32_t& minor = position[walk->steep ? 0 : 1];
  if (major == walk->endMajor) {
    *moved = 0;
    return;
  }
  *error += walk->dMinor;
  major += walk->stepMajor;
  *address += walk->offMajor;
  if (2 * *error >= walk->dMajor) {
    minor += walk->stepMinor;
    *error -= walk->dMajor;
    *address += walk->offMinor;
  }
  *moved = 1;
}
