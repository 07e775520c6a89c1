// The SSE2 inner loops of the ID edge detector: two output rows per pass, sixteen columns
// per step, in either mode. A build without SSE2 has none, and its detector always takes
// the per-pixel loop.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __SSE2__
// The 2x2 codes of two consecutive rows of width pixels, the first starting at top (rows
// sourceStride bytes apart), into out0 and out1; codes is the threshold table from its
// first entry. Reads rows top .. top + 2 sourceStride, columns 0 .. width, exactly the
// pixels the per-pixel loop reads, and writes the same bytes.
void cidut_edgeIDRowPair2x2(const uint8_t* top, ptrdiff_t sourceStride, uint8_t* out0,
                            uint8_t* out1, int32_t width, const uint8_t* codes);

// The 3x3 codes, turned by the 3x3 shift, of two consecutive rows of width pixels, the
// first starting at row, into out0 and out1. Reads columns -1 .. width of the rows from the
// one above row to the one below the second, exactly the pixels the per-pixel loop reads,
// and writes the same bytes.
void cidut_edgeIDRowPair3x3(const uint8_t* row, ptrdiff_t sourceStride, uint8_t* out0,
                            uint8_t* out1, int32_t width, const uint8_t* codes);
#endif
