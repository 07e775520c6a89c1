// Scanning core: integer windows and fixed-point scan shapes (lines, segments, rays) with
// clipping, pixel walks, streaming 1-D peak detection and edge scans over 8-bit images,
// contrast statistics of peaks and 1-D tracking states.
//
// Units. Positions are int64 in sixteenths of a pixel; the centre of the pixel with scan
// coordinates (i, j) is (16 i + 8, 16 j + 8). Scan coordinates are image coordinates
// minus the origin of the window ROI. Directions and ratios are int32 in 16.16
// (0x10000 = 1.0). Products of a position and a 16.16 value are formed in 64 bits and
// shifted back right by 16 (rounding toward minus infinity); divisions truncate.
//
// Frame of a line with direction u = (ux, uy) and normal n = (-uy, ux): for a point c,
// along(c) = major (c . u) and across(c) = major (c . n), major = max(|ux|, |uy|). One
// pixel step along the line on its dominant axis changes along by exactly 16; the point
// of the line nearest the scan origin (the foot) has along 0.
//
// Every operation returns a status: 0, or a failure passed on from the kit. Null
// pointers (except where optional) and other violated preconditions go to the argument
// check. Shapes that miss the ROI clip to the degenerate segment, never to a status.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "ci_id/priv/ci_idut/vector.h"
#include "kit/image.h"
#include "kit/math.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------------------------------
// Windows and scan shapes.

// The usable part of an image window in scan coordinates: the window minus a margin kept
// free on every side for the 3x3 derivative kernels. Bounds lo/hi are the centres of the
// first and last usable pixels, inclusive.
typedef struct cidc_windowROI {
  int32_t toWindowX;  // scan pixel + toWindow = window-relative pixel (origin - window x0)
  int32_t toWindowY;
  int32_t originX;  // image coordinates of the scan origin
  int32_t originY;
  int32_t minX;   // first usable column
  int32_t maxX;   // one past the last usable column
  int32_t width;  // maxX - minX
  int32_t minY;
  int32_t maxY;
  int32_t height;
  int64_t spanX16;  // hiX16 - loX16
  int64_t spanY16;
  int64_t loX16;  // centre of the first usable column, 1/16 px
  int64_t loY16;
  int64_t hiX16;  // centre of the last usable column, 1/16 px
  int64_t hiY16;
  int64_t halfSpanX16;  // span >> 1
  int64_t halfSpanY16;
  int64_t marginX16;  // margin applied so far, 1/16 px
  int64_t marginY16;
} cidc_windowROI;

// A unit vector in 16.16; each component in [-0x10000, 0x10000].
typedef struct cidc_unitDir16 {
  int32_t x;
  int32_t y;
} cidc_unitDir16;

// A point in 1/16 px.
typedef struct cidc_point64 {
  int64_t x;
  int64_t y;
} cidc_point64;

// A pixel in scan coordinates.
typedef struct cidc_pixel32 {
  int32_t x;
  int32_t y;
} cidc_pixel32;

// Coordinates in the frame of a line, 1/16 px scaled by major.
typedef struct cidc_linePos {
  int64_t along;
  int64_t across;
} cidc_linePos;

// An infinite directed line.
typedef struct cidc_scanLine {
  int64_t dist;        // signed distance from the scan origin along n, 1/16 px
  cidc_unitDir16 dir;  // direction of travel
  int64_t footX;       // dist * n: the point nearest the origin, 1/16 px
  int64_t footY;
  int32_t major;  // max(|ux|, |uy|), 16.16
  int32_t stepX;  // ux / major, uy / major: one pixel step on the dominant axis, 16.16
  int32_t stepY;
  int32_t projX;  // ux * major and -(uy * major), 16.16: the along/across frame
  int32_t projY;
} cidc_scanLine;

// A directed segment of a line. pos holds the frame coordinates of the centres of the end
// pixels, with pos[0].along <= pos[1].along. The degenerate (empty) segment is all zero
// with isDegenerate = 1 and the default line.
typedef struct cidc_scanLineSeg {
  cidc_scanLine line;   // first, so that a segment reads as its line
  cidc_point64 pt[2];   // start and end, 1/16 px
  cidc_pixel32 pix[2];  // the pixels holding them: pt >> 4
  cidc_linePos pos[2];
  int32_t isDegenerate;
} cidc_scanLineSeg;

// A line with a start point.
typedef struct cidc_scanRay {
  cidc_scanLine line;  // first, so that a ray reads as its line
  cidc_point64 origin;
} cidc_scanRay;

// Exactly one of a line, a segment or a ray, not owned. line always addresses the
// carrying line (of the segment or ray when one is held).
typedef struct cidc_scanShape {
  const cidc_scanLineSeg* seg;
  const cidc_scanLine* line;
  const cidc_scanRay* ray;
} cidc_scanShape;

// ROI of the window with margins in whole pixels (width - 2 marginX and height - 2 marginY
// at least 2) and the scan origin at image point (originX, originY).
CIDUT_API int32_t cidc_windowROI_init(cidc_windowROI* roi, const cimg_windowConst* window,
                                      int32_t marginX, int32_t marginY, int32_t originX,
                                      int32_t originY);
// Origin at the window's centre pixel (width / 2, height / 2 from its corner).
CIDUT_API int32_t cidc_windowROI_initCenter(cidc_windowROI* roi, const cimg_windowConst* window,
                                            int32_t marginX, int32_t marginY);
// Origin at the window's top-left pixel.
CIDUT_API int32_t cidc_windowROI_initCorner(cidc_windowROI* roi, const cimg_windowConst* window,
                                            int32_t marginX, int32_t marginY);
// Origin of another ROI.
CIDUT_API int32_t cidc_windowROI_initSameOrigin(cidc_windowROI* roi, const cimg_windowConst* window,
                                                const cidc_windowROI* other, int32_t marginX,
                                                int32_t marginY);
// dst = src shrunk on each axis by the requested 1/16 px on both sides, where the request
// exceeds the margin already applied on that axis (the whole request, not the difference).
CIDUT_API int32_t cidc_windowROI_initCopyShrink(cidc_windowROI* dst, const cidc_windowROI* src,
                                                const int64_t* shrinkX16, const int64_t* shrinkY16);

// The unit direction of (dx, dy), any scale; the zero vector gives (0, -0x10000).
CIDUT_API int32_t cidc_unitDir16_initVect(cidc_unitDir16* dir, int32_t dx, int32_t dy);

// The line through the origin along +x.
CIDUT_API int32_t cidc_scanLine_init(cidc_scanLine* line);
// The line through point with direction dir; dist = point x dir.
CIDUT_API int32_t cidc_scanLine_initPointDir(cidc_scanLine* line, const cidc_point64* point,
                                             const cidc_unitDir16* dir);
// The line of direction (cos a, sin a), a a binary angle (0x10000 per turn), at signed
// distance dist from the origin, then moved by offset (optional).
CIDUT_API int32_t cidc_scanLine_initDirDist(cidc_scanLine* line, const uint16_t* angle,
                                            int64_t dist, const cidc_point64* offset);
// dst = src moved by offset (dst may be src). No checks.
CIDUT_API int32_t cidc_scanLine_translate(const cidc_scanLine* src, const cidc_point64* offset,
                                          cidc_scanLine* dst);
// The part of the line inside the ROI, in the line's direction.
CIDUT_API int32_t cidc_scanLine_clip(const cidc_scanLine* line, const cidc_windowROI* roi,
                                     cidc_scanLineSeg* out);

CIDUT_API int32_t cidc_scanLineSeg_initDegen(cidc_scanLineSeg* seg);
// The segment from points[0] to points[1] on line (optional; by default the line through
// the points). The segment must not run backwards along its line.
CIDUT_API int32_t cidc_scanLineSeg_initPoints(cidc_scanLineSeg* seg, const cidc_point64 points[2],
                                              const cidc_scanLine* line);
// The segment between two along positions of line.
CIDUT_API int32_t cidc_scanLineSeg_initPeakPos(cidc_scanLineSeg* seg, const cidc_scanLine* line,
                                               const int64_t along[2]);
// dst = src moved by offset (dst may be src). No checks.
CIDUT_API int32_t cidc_scanLineSeg_translate(const cidc_scanLineSeg* src,
                                             const cidc_point64* offset, cidc_scanLineSeg* dst);
// The part of the segment inside the ROI (out may be seg).
CIDUT_API int32_t cidc_scanLineSeg_clip(const cidc_scanLineSeg* seg, const cidc_windowROI* roi,
                                        cidc_scanLineSeg* out);

CIDUT_API int32_t cidc_scanRay_init(cidc_scanRay* ray);
// The ray from point along dir, or along line (optional; dir is then ignored).
CIDUT_API int32_t cidc_scanRay_initPointDir(cidc_scanRay* ray, const cidc_point64* point,
                                            const cidc_unitDir16* dir, const cidc_scanLine* line);
// The part of the ray inside the ROI; the whole clipped line when its origin lies outside.
CIDUT_API int32_t cidc_scanRay_clip(const cidc_scanRay* ray, const cidc_windowROI* roi,
                                    cidc_scanLineSeg* out);

CIDUT_API int32_t cidc_scanShape_initScanLine(cidc_scanShape* shape, const cidc_scanLine* line);
CIDUT_API int32_t cidc_scanShape_initScanLineSeg(cidc_scanShape* shape,
                                                 const cidc_scanLineSeg* seg);
CIDUT_API int32_t cidc_scanShape_initScanRay(cidc_scanShape* shape, const cidc_scanRay* ray);
// Clips whichever shape is held (segment, else ray, else line).
CIDUT_API int32_t cidc_scanShape_clip(const cidc_scanShape* shape, const cidc_windowROI* roi,
                                      cidc_scanLineSeg* out);

// Image point (pixel i covers [i, i + 1)) of the along position of seg's line, on the
// parallel through seg's start pixel; origin[0], origin[1] = the image point that is the
// scan origin (normally &roi->originX). No checks.
CIDUT_API int32_t cidc_convertPeakToImage(const int64_t* along, const cidc_scanLineSeg* seg,
                                          const int32_t origin[2], cmath_vect* point);

// ---------------------------------------------------------------------------------------
// Pixel walk.

// One step of a fixed-point DDA: pixel moves by one on the dominant axis of direction
// (y on ties), and the minor axis's 16.16 fraction, kept in [0, 0x10000), by the slope,
// carrying into the pixel. Directions with a dominant component below 4 are refused.
CIDUT_API int32_t cidc_bresWalk(int32_t pixel[2], int32_t fraction[2], const int32_t direction[2]);

// ---------------------------------------------------------------------------------------
// Peaks and edge scans.

// One peak of the derivative along a scan.
typedef struct cidc_peakIDFixedX_4 {
  int64_t pos;        // along the scan, 1/16: for edge scans, along in the clipped line's frame
  int32_t magnitude;  // signed derivative, on the threshold's scale; > 0 for a rise
  int32_t tagA;       // identification, 0 from every scan
  int32_t tagB;
  int32_t user[4];   // for the consumer of the peaks; never set or read here
  uint8_t midLevel;  // grey level at the edge: mean of the levels on either side
} cidc_peakIDFixedX_4;

CIDUT_DECLARE_TYPED_VECTOR(cidc_peakIDFixedX_4)
typedef cstd_vector_cidc_peakIDFixedX_4 vector_cidc_peakIDFixedX_4;
CIDUT_DECLARE_TYPED_VECTOR(vector_cidc_peakIDFixedX_4)
CIDUT_DECLARE_TYPED_VECTOR(cidc_scanLine)
CIDUT_DECLARE_TYPED_VECTOR(cidc_scanLineSeg)
CIDUT_DECLARE_TYPED_VECTOR(cidc_scanRay)
CIDUT_DECLARE_TYPED_VECTOR(cidc_scanShape)

CIDUT_DECLARE_TYPE_CHECKS(cstd_vector_cidc_peakIDFixedX_4)
CIDUT_DECLARE_TYPE_CHECKS(cstd_vector_vector_cidc_peakIDFixedX_4)
CIDUT_DECLARE_TYPE_CHECKS(cstd_vector_cidc_scanLine)
CIDUT_DECLARE_TYPE_CHECKS(cstd_vector_cidc_scanLineSeg)
CIDUT_DECLARE_TYPE_CHECKS(cstd_vector_cidc_scanRay)
CIDUT_DECLARE_TYPE_CHECKS(cstd_vector_cidc_scanShape)

// Streaming peak detector over derivative samples 0, 1, ...: a peak is an extremum
// plateau of at most 6 equal samples, above threshold (maximum) or below -threshold
// (minimum), reported with a parabolic sub-sample offset once the derivative turns. The
// first and the last plateau of a pass are never peaks.
//
// init (sample 0), then detect per further sample (advance over skipped ones), then
// finish. Between init and finish the vector holds maxNew spare elements and nothing else
// may touch it; finish trims it to the peaks found, appended after what it held.
typedef struct cidc_peakDetectState {
  int32_t cur;                // value of the current plateau
  int32_t index;              // samples consumed after sample 0
  int32_t prevVal;            // value of the plateau before it
  int32_t prevDiff;           // cur - prevVal when the current plateau began; 0 = no history
  int32_t prevIndex;          // index at which the current plateau began, minus 1
  int32_t count;              // elements of the vector in use
  int32_t capacity;           // most elements count may reach
  cidc_peakIDFixedX_4* next;  // slot of the next peak
} cidc_peakDetectState;

CIDUT_API int32_t cidc_peakDetectState_init(cidc_peakDetectState* state,
                                            cstd_vector_cidc_peakIDFixedX_4* peaks, int32_t first,
                                            int32_t maxNew);
// Feeds one sample. A peak gets pos = plateau centre (1/16) + offset + alongOffset,
// magnitude = (cur << shiftLeft) >> shiftRight and midLevel = the mean of the low bytes
// of levelA and levelB.
CIDUT_API int32_t cidc_peakDetectState_detect(cidc_peakDetectState* state, int32_t levelA,
                                              int32_t levelB, int16_t sample, int32_t threshold,
                                              int32_t alongOffset, int32_t shiftLeft,
                                              int32_t shiftRight);
// Restarts at sample after skipping skip samples; no peak forms at the restart plateau.
CIDUT_API int32_t cidc_peakDetectState_advance(cidc_peakDetectState* state, int16_t sample,
                                               int32_t skip);
CIDUT_API int32_t cidc_peakDetectState_finish(cidc_peakDetectState* state,
                                              cstd_vector_cidc_peakIDFixedX_4* peaks);

// Peaks of the grey-level derivative along the shape, appended to peaks; out = the shape
// clipped to the ROI, in whose line frame the peaks' pos lie (sample k at out.pos[0].along
// + 16 k). The ROI needs a margin of at least one pixel on every side.
//
// Axis-aligned shapes use the along-scan difference of 1-2-1 smoothed levels when the
// projection direction (dx, dy) has no component across the scan (magnitude 16 h for a
// step of height h), otherwise the 3x3 Sobel derivative projected on (dx, dy) (16 h for
// a component of magnitude 32). Other shapes walk their pixels with the same projected
// derivative, normalised to weights summing to 128. Magnitudes are on the threshold's
// scale; thresholds are expected below 4096.
CIDUT_API int32_t cidc_runEdgeScan(const cimg_imageConst* image, const cidc_windowROI* roi,
                                   const int32_t* threshold, const cidc_scanShape* shape,
                                   const int16_t direction[2],
                                   cstd_vector_cidc_peakIDFixedX_4* peaks, cidc_scanLineSeg* out);
// Peaks of the central difference x[k + 2] - x[k] of extent->width int32 samples at
// samples->pixels, appended to peaks; pos in 1/16 of difference samples (sample k is
// centred on x[k + 1]), magnitude unscaled.
CIDUT_API int32_t cidc_runEdgeScanPeakDetection(const cimg_windowConst* extent,
                                                const cimg_windowConst* samples,
                                                const int32_t* threshold,
                                                cstd_vector_cidc_peakIDFixedX_4* peaks);

// ---------------------------------------------------------------------------------------
// Contrast statistics and tracking states.

// Weakest and upper-median |magnitude| of the peaks [first, last), over all of them
// (includeAll) or those with tagA or tagB set; 0 and 0 when none is selected.
CIDUT_API int32_t cidc_peakIDFixedX_4_getContrastStats(const cidc_peakIDFixedX_4* first,
                                                       const cidc_peakIDFixedX_4* last,
                                                       int32_t includeAll, int32_t* firstOut,
                                                       int32_t* medianOut);

// A measurement: value and variance (-1 = none) in fixed point with scale fractional bits.
typedef struct cidc_measurement1D {
  int32_t value;
  int32_t variance;
  int32_t scale;
} cidc_measurement1D;

typedef struct cidc_trackStateConstantVal1D {
  int32_t value;
  int32_t variance;  // -1 = no estimate yet
  int32_t scale;
  int32_t ready;  // the caller's flag
} cidc_trackStateConstantVal1D;

typedef struct cidc_trackStateConstantRate1D {
  int32_t value;
  int32_t variance;  // -1 = none
  int32_t scale;
  int32_t rate;          // change per step
  int32_t rateVariance;  // -1 = none
  int32_t rateScale;
  int32_t covariance;  // value/rate; -1 while either variance is -1
  int32_t ready;
} cidc_trackStateConstantRate1D;

CIDUT_API int32_t cidc_trackStateConstantVal1D_init(cidc_trackStateConstantVal1D* state,
                                                    int32_t scale);
CIDUT_API int32_t cidc_trackStateConstantVal1D_initVal(cidc_trackStateConstantVal1D* state,
                                                       const cidc_measurement1D* measurement,
                                                       int32_t ready);
CIDUT_API int32_t cidc_trackStateConstantRate1D_init(cidc_trackStateConstantRate1D* state,
                                                     int32_t scale);
// value and rate must have the same scale.
CIDUT_API int32_t cidc_trackStateConstantRate1D_initVal(cidc_trackStateConstantRate1D* state,
                                                        const cidc_measurement1D* value,
                                                        const cidc_measurement1D* rate,
                                                        int32_t ready);

#ifdef __cplusplus
}  // extern "C"

static_assert(sizeof(cidc_windowROI) == 10 * 4 + 10 * 8 && offsetof(cidc_windowROI, spanX16) == 40,
              "ROI layout");
static_assert(sizeof(cidc_scanLine) == 56 && offsetof(cidc_scanLine, major) == 32, "line layout");
static_assert(offsetof(cidc_scanLineSeg, line) == 0 && offsetof(cidc_scanRay, line) == 0,
              "a segment or ray reads as its line");
static_assert(offsetof(cidc_scanLineSeg, pt) == 56 && offsetof(cidc_scanLineSeg, pix) == 88 &&
                  offsetof(cidc_scanLineSeg, pos) == 104 &&
                  offsetof(cidc_scanLineSeg, isDegenerate) == 136,
              "segment layout");
static_assert(offsetof(cidc_peakIDFixedX_4, magnitude) == 8 &&
                  offsetof(cidc_peakIDFixedX_4, tagA) == 12 &&
                  offsetof(cidc_peakIDFixedX_4, midLevel) == 36 &&
                  sizeof(cidc_peakIDFixedX_4) == 40,
              "peak layout");
static_assert(offsetof(cidc_windowROI, originY) == offsetof(cidc_windowROI, originX) + 4,
              "originX, originY pass as one int32 pair");
#endif
