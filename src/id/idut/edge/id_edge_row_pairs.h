// The accelerated inner loop of the ID edge detector's 2x2 mode: two output rows per pass,
// sixteen columns per step with SSE2. A build without SSE2 has none, and its detector
// always takes the per-pixel loop.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __SSE2__
// The codes of two consecutive rows of width pixels, the first starting at top (rows
// sourceStride bytes apart), into out0 and out1; codes is the threshold table from its
// first entry. Reads rows top .. top + 2 sourceStride, columns 0 .. width, exactly the
// pixels the per-pixel loop reads, and writes the same bytes.
void cidut_edgeIDRowPair2x2(const uint8_t* top, ptrdiff_t sourceStride, uint8_t* out0,
                            uint8_t* out1, int32_t width, const uint8_t* codes);
#endif
