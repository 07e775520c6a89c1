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

#ifdef __cplusplus
}
#endif
