// The kit's boundary tracker: follows the iso-grey contour of an 8-bit image through the
// crossing on a start segment, with sub-pixel points.
//
// Coordinates are window coordinates in pixels x 256: the centre of the window's pixel
// (i, j) is (256 i, 256 j). The contour is the iso-line at grey level + 1/2 (so it never
// passes through a pixel centre): a pixel is dark when its value is at most the level.
// Neighbouring pixels of different classes have a crossing between them, placed by
// linear interpolation; each crossing the contour passes is one point. Where two dark
// pixels touch diagonally, the cell's mean decides whether they connect.
//
// Direction: the contour runs with the dark side on the left (as seen on screen, x to the
// right and y down) when the polarity is 1, on the right when it is 0. A row seed (a
// horizontal start segment) therefore always leaves its row upwards.
//
// Adaptive tracking: the threshold is a surface that follows the local contrast. At each
// pixel it is the middle of the grey range of the 5 x 5 pixels around it, where that range
// reaches a third of the seed's edge contrast (the strength word holds a three-pixel-sum
// difference, three times the contrast; at least 8 grey levels); in flat areas it is the
// level word + 1/2. A pixel's class depends on the pixel alone, so adaptive contours close
// just as fixed ones do, and they keep to a symbol's edge under uneven light or glare.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/image.h"

#ifdef __cplusplus
extern "C" {
#endif

// No crossing on the start segment (or the segment leaves the image).
#define CBT_STATUS_NO_BOUNDARY ((int32_t)0x80000903)

// Run parameters: eighteen 32-bit words. Defaults from cbt_runParams_init in brackets.
typedef struct cbt_runParams {
  int32_t interpolate;      // 0: 1 = sub-pixel crossings, 0 = crossing midpoints [1]
  int32_t polarity;         // 1: which hand the dark side keeps (see above) [1]
  int32_t startX;           // 2-5: the start segment, pixels x 256, window coordinates;
  int32_t startY;           //      the crossing nearest the start point is tracked [0]
  int32_t endX;
  int32_t endY;
  int32_t reserved6[4];     // 6-9: not used [0]
  int32_t followOpen;       // 10: 1 = an open contour is followed both ways from its
                            //     start, so that it is whole; 0 = forwards only [1]
  int32_t reserved11;       // 11: not used [0]
  int32_t level;            // 12: grey level of the contour [128]
  int32_t strength;         // 13: adaptive only: the seed's edge strength [0]
  int32_t maxPoints;        // 14: most points returned [16379]
  int32_t adaptive;         // 15: 1 = adaptive level (cbt_boundaryTrack_Adaptive) [0]
  int32_t reserved16;       // 16: not used [0]
  int32_t minPoints;        // 17: a contour with fewer points is flagged rejected [0]
} cbt_runParams;

// Result flags.
enum {
  CBT_FLAG_USABLE = 1,    // points hold a contour
  CBT_FLAG_OPEN = 2,      // the contour runs into the image border at both ends
  CBT_FLAG_REJECTED = 4,  // cut short at maxPoints, or shorter than minPoints
};

// What the caller of an adaptive run should mark in its visit map (the markMode byte): set
// it to CBT_MARK_ALL before the call. Afterwards it is left so for a closed contour and
// for one cut at the point limit (a seed on it would only walk it again);
// CBT_MARK_ALL_BUT_LAST_10 for an open one (its last points run into the border and stay
// free for other seeds); CBT_MARK_NONE when the run failed.
enum {
  CBT_MARK_NONE = 0,
  CBT_MARK_ALL = 1,
  CBT_MARK_ALL_BUT_LAST_10 = 16,
};

typedef struct cbt_point {
  int32_t x;
  int32_t y;
} cbt_point;

// The result of a run. The point buffer belongs to the result, grows geometrically and
// is reused by the next run.
typedef struct cbt_result {
  int32_t numPoints;   // points of the last run
  int32_t capacity;    // points the buffer holds
  cbt_point* points;   // pixels x 256, window coordinates, in contour order
  int32_t flags;       // CBT_FLAG_*
  int32_t corners[8];  // four (x, y) pairs a finder may store with the contour
  uint8_t markMode;    // adaptive runs: CBT_MARK_*
} cbt_result;

CKIT_API int32_t cbt_runParams_init(cbt_runParams* params);
// An empty result with room for initialCapacity points (0: allocate on first use).
CKIT_API int32_t cbt_result_construct(cbt_result* result, int32_t initialCapacity);
CKIT_API int32_t cbt_result_destruct(cbt_result* result);

// Tracks the contour at params->level through the crossing on the start segment of an
// 8-bit image's current window. Statuses: CBT_STATUS_NO_BOUNDARY, 0x800003c3 (unbound
// image), 0x800003c2 (not 8-bit), 0x80000023 (no memory for the points).
CKIT_API int32_t cbt_boundaryTrack(const cimg_imageConst* image, const cbt_runParams* params,
                                   cbt_result* result);
// The same with the adaptive level; extra is reserved and must be 0 or any value the
// caller passes through (it does not change the run).
CKIT_API int32_t cbt_boundaryTrack_Adaptive(const cimg_imageConst* image,
                                            const cbt_runParams* params, int32_t extra,
                                            cbt_result* result);

CKIT_API void csys_typeCheck_cbt_result(void);
CKIT_API void csys_typeCheckFunc_cbt_result(void);

#ifdef __cplusplus
}
#endif
