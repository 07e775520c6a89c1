// The kit's pixel operations, on window records (kit/image.h): every operation works on the
// window's width x height pixels, row by row along its stride, and leaves the pixels beside
// the window alone.
//
// Operations with a source and a destination take the source's read-only record first and
// the destination's record second. Their windows must be of one size: a mismatch returns
// CIMG_STATUS_BAD_SIZE and writes nothing.
//
// A null record or table, or a record of the wrong pixel type, is an argument error
// reported to cstd_assert_.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/image.h"

#ifdef __cplusplus
extern "C" {
#endif

// Statuses of the pixel operations (besides CIMG_STATUS_BAD_SIZE).
// The pixel memory of two windows overlaps.
#define CIP_STATUS_MEMORY_OVERLAP ((int32_t)0x800006a1)

// ---------------------------------------------------------------------------------------
// Memory overlap.

// CIP_STATUS_MEMORY_OVERLAP when some byte of a pixel of the source window is also a byte
// of a pixel of the destination window, else 0. Exact for windows of one image (records
// with the same stride): windows side by side, whose rows interleave in memory without
// sharing a pixel, do not overlap. Records of different strides are compared by the spans
// from their first to their last pixel, which may report an overlap that is not there.
// Empty windows overlap nothing. Any pixel types.
CKIT_API int32_t cip_pelfunc_checkMemoryOverlap(const cimg_windowConst* source,
                                                const cimg_window* destination);

// ---------------------------------------------------------------------------------------
// Setting and copying, 8-bit.

// Sets every pixel of an 8-bit window to value. An empty window is left alone. Returns 0.
CKIT_API int32_t cip_pelSet8(const cimg_window* window, uint8_t value);

// Copies the source window's pixels into the destination window. The two windows may
// overlap when they are windows of one image: the result is as if the source had been
// copied aside first (rows are taken in the order that reads each before it is
// overwritten, each row moved as by memmove). Returns 0 or CIMG_STATUS_BAD_SIZE.
CKIT_API int32_t cip_pelCopy8(const cimg_windowConst* source, const cimg_window* destination);

// ---------------------------------------------------------------------------------------
// Mapping, 8-bit.

// destination pixel = table[source pixel], table of 256 entries. The destination may be
// the source's own pixels (mapping in place, the same first pixel and stride); any other
// overlap of the two windows is an argument error. Returns 0 or CIMG_STATUS_BAD_SIZE.
CKIT_API int32_t cip_pelMap8(const cimg_windowConst* source, const cimg_window* destination,
                             const uint8_t* table);

// ---------------------------------------------------------------------------------------
// Arithmetic, extremes and replication, 8-bit.

// How cip_pelSub8 keeps a difference a - b within a byte.
enum {
  CIP_SUB_WRAP = 0,     // (a - b) mod 256
  CIP_SUB_ABSOLUTE = 1, // |a - b|
  CIP_SUB_HALVED = 2,   // (a - b + 255) / 2, 127 for equal pixels (a signed difference)
  CIP_SUB_CLAMP = 3,    // max(0, a - b)
};
// destination = a - b pixel by pixel, kept in a byte by mode (a CIP_SUB_ value; another is
// an argument error). All three windows of one size (else CIMG_STATUS_BAD_SIZE, nothing
// written); the destination may be the pixels of a or b in place, any other overlap with
// either is an argument error. Returns 0.
CKIT_API int32_t cip_pelSub8(const cimg_windowConst* a, const cimg_windowConst* b,
                             const cimg_window* destination, int32_t mode);

// The least and greatest pixel of the window; an empty window gives 255 and 0. Returns 0.
CKIT_API int32_t cip_pelUnaryMinMax8(const cimg_windowConst* source, uint8_t* minimum,
                                     uint8_t* maximum);

// Replicates every source pixel into an xFactor x yFactor block of the destination, whose
// window must be exactly xFactor times as wide and yFactor times as high as the source's
// (else CIMG_STATUS_BAD_SIZE); factors below 1 and windows that overlap are argument
// errors. Returns 0.
CKIT_API int32_t cip_pelExpand8(const cimg_windowConst* source, const cimg_window* destination,
                                int32_t xFactor, int32_t yFactor);

// ---------------------------------------------------------------------------------------
// Histograms, 8-bit.

// histogram[v] += the number of pixels of value v in the window (256 bins; the histogram is
// not cleared first). Returns 0.
CKIT_API int32_t cip_pelHistogram8(const cimg_windowConst* source, uint32_t* histogram);

// Percentiles of a histogram of bins levels: percentiles[p], p = 0 .. 100, is the least
// level v whose cumulative count histogram[0] + ... + histogram[v] reaches p / 100 of the
// total (p = 0: the first occupied level; p = 100: the last). An empty histogram gives 0
// for every percentile. bins >= 1. Returns 0.
CKIT_API int32_t cip_pelHistogramStat_invCum(const uint32_t* histogram, int32_t bins,
                                             int32_t* percentiles);

#ifdef __cplusplus
}
#endif
