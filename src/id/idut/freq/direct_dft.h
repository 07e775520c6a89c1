// The column pass of the direct 2-D DFT, shared by the DFT and the magnitude spectra.
#pragma once

#include <stddef.h>
#include <stdint.h>

// DFT down one column of rows complex values re[j stride] + i im[j stride] (negative
// exponent, unnormalised) into outRe, outIm (same spacing; either may be null). Only the
// frequencies k < band and k >= rows - band are computed and written.
void cidut_columnDFT(const double* re, const double* im, ptrdiff_t stride, int32_t rows,
                     int32_t band, double* outRe, double* outIm);
