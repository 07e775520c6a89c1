// The band pattern of a ring finder along a scan line: six edges of alternating polarity
// whose outer intervals pair up equally around a centre band at most about three bands
// wide (or, in the short form, one band three times as wide as the equal bands beside
// it). Edges are signed positions (see locate2d.h); intervals in the same units.
#pragma once

#include <stdint.h>

enum cid2d_bandForm : int32_t {
  cid2d_bandsOnRow,   // five intervals; the centre bounded by either side's three bands
  cid2d_bandsOnLine,  // five intervals; the centre bounded by one side and half the other
  cid2d_bandsShort,   // three intervals: narrow, wide, narrow
};

// Number of intervals of a form.
inline int32_t cid2d_bandIntervals(cid2d_bandForm form) {
  return form == cid2d_bandsShort ? 3 : 5;
}

// Whether the edges from edges[0] on (intervals + 1 of them) show the pattern, no wider in
// all than maxSize; *tolerance receives the interval tolerance the test used.
bool cid2d_isRingBandPattern(const int16_t* edges, cid2d_bandForm form, double maxSize,
                             int32_t* tolerance);

// The grey level between the pattern's bands: the mean of the first, third (and fifth)
// bands and the mean of the others with margins of tolerance + 2 samples on both sides,
// averaged; moved towards the darker mean for small patterns. positions are the pattern's
// intervals + 1 edge positions as indices into samples (length entries).
int32_t cid2d_ringBandThreshold(const uint8_t* samples, int32_t length, const int32_t* positions,
                                int32_t intervals, int32_t tolerance);
