// Boundary analysis shared by the symbol finders: a tracked contour is halved, smoothed,
// measured for curvature and cut into straight runs (segments), which are sorted and
// merged. Everything is integer fixed point: points in 1/16 pixel, squared lengths and
// distances on coordinates divided by 4 (squared quarter pixels), angles as |tan| x 1000.
//
// Contours are circular: index arithmetic wraps modulo the point count. A segment's end
// index is one past its last point and is not wrapped, so it may exceed the point count.
#pragma once

#include <stdint.h>

struct cid2d_point {
  int32_t x;
  int32_t y;
};

struct cid2d_segment {
  int32_t start;     // first point
  int32_t lengthSq;  // squared chord length, quarter pixels squared
  int32_t end;       // one past the last point
};

// The work buffers the finders carve out of the caller's scratch memory, in this order.
struct cid2d_contourBuffers {
  static constexpr int32_t contourEntries = 8190;  // the contour may run on into smoothed
  static constexpr int32_t maxContourPoints = 16379;
  static constexpr int32_t segmentEntries = 5460;  // the last holds the terminating zero
  cid2d_point* contour;
  cid2d_point* smoothed;
  int32_t* curvature;
  cid2d_segment* segments;
};

// Carves the buffers from a scratch block of at least CID2D_SCRATCH_BYTES.
cid2d_contourBuffers cid2d_carveBuffers(void* scratch);

// Point i of a circular contour of n points.
inline const cid2d_point& cid2d_pointAt(const cid2d_point* contour, int32_t n, int32_t i) {
  return contour[((i % n) + n) % n];
}

// Means of consecutive pairs (2i, 2i + 1); an odd last point is dropped. In place.
// Returns the new count.
int32_t cid2d_halveContour(cid2d_point* contour, int32_t n);

struct cid2d_box {
  int32_t minX, minY, maxX, maxY;
};
cid2d_box cid2d_boundingBox(const cid2d_point* contour, int32_t n);

// Circular moving average of k points, written at the window's first index + k / 2.
void cid2d_smoothContour(const cid2d_point* contour, int32_t n, int32_t k, cid2d_point* smoothed);

// |x[c-k] + x[c+k] - 2x[c]| + |y[...]| per point; returns the largest.
int32_t cid2d_contourCurvature(const cid2d_point* smoothed, int32_t n, int32_t k,
                               int32_t* curvature);

// What the straight-run scan saw of the runs it dropped, for finders that judge a contour
// by its short runs too. r is a run's count of points following its first.
struct cid2d_runTally {
  int32_t droppedShort = 0;  // dropped runs with 3 <= r <= minRun
  int32_t seen = 0;          // runs with r >= 2, dropped or not
};

// How straight runs are cut and tested.
struct cid2d_runRules {
  int32_t maxCurvature;  // T: a run opens at curvature <= T and goes on while < T
  int32_t minRun;        // runs of at most this many following points are dropped
  int32_t maxDeviationSq;  // the arc middle's squared distance from the chord must stay below
  bool splitFailures;    // test the halves of a failing run longer than 2 minRun + 1
  bool joinAcrossStart = false;  // test a last run that wraps into the first as one run
  cid2d_runTally* tally = nullptr;  // counts the runs when not null
};

// Straight runs of the smoothed contour; writes at most segmentEntries - 1 segments and a
// terminating zero record. Returns the count. With joinAcrossStart, when the last run
// wraps past the contour's end into the first run and both became segments, the two are
// tested as one run; if straight, it replaces the first segment (its end then beyond
// 2n - 1 is possible) and the last is dropped.
int32_t cid2d_findStraightRuns(const cid2d_point* smoothed, const int32_t* curvature, int32_t n,
                               const cid2d_runRules& rules, cid2d_segment* segments);

// Selection sort by squared length, descending; the first of equal maxima wins.
void cid2d_sortSegments(cid2d_segment* segments, int32_t count);

// Joins pairs of nearly collinear segments along the contour: the survivor spans both,
// the other keeps length 0. `span` bounds the gap between them (quarter pixels, before
// the allowance of 6), `tolerance` the distance of each chord's far end from the joining
// line (1/16 pixel). mergedFlags holds one word per segment.
void cid2d_mergeCollinearSegments(const cid2d_point* smoothed, int32_t n, cid2d_segment* segments,
                                  int32_t count, int32_t span, int32_t tolerance,
                                  int32_t* mergedFlags);

// Chord of a segment: from its first to its last point, 1/16 pixel.
struct cid2d_chord {
  cid2d_point from;
  cid2d_point to;
  int64_t dx() const { return int64_t{to.x} - from.x; }
  int64_t dy() const { return int64_t{to.y} - from.y; }
};
cid2d_chord cid2d_segmentChord(const cid2d_point* smoothed, int32_t n, const cid2d_segment& s);

// 1000 x cross / dot of two directions, truncated; INT32_MAX when the dot product is 0.
int64_t cid2d_tangent1000(int64_t ax, int64_t ay, int64_t bx, int64_t by);
