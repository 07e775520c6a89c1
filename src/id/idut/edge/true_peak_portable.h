// The portable true-peak operator: Sobel gradients with a shift-and-add direction estimate
// and a one-multiply magnitude, suppressed across the edge over three rolling rows. The
// gradient row kernel is declared here so that tests can check it pixel by pixel.
#pragma once

#include <stdint.h>

#include "kit/image.h"

// The magnitude factor for a gain: the shift-and-add steps lengthen the gradient by
// 1.1614, the factor takes that out again in 2^-9 units (440 for gain 1).
int32_t cidut_truePeakMagnitudeScale(double scale);

// Magnitude and direction code of columns 1 .. width - 2 of the centre row, from the rows
// above and below it; the same columns of output are cleared. Magnitudes are about a
// quarter of the Sobel gradient length, at most 255. A pixel whose magnitude is below
// secondThreshold takes the next code of the pseudo-random sequence held in *z instead of
// its direction (codes: 256 per turn, 0 along +x, 64 along +y).
void cidut_truePeakGradientRow(const uint8_t* above, const uint8_t* centre, const uint8_t* below,
                               int32_t width, int32_t scale, int32_t secondThreshold, uint16_t* z,
                               uint8_t* magnitude, uint8_t* direction, uint8_t* output);

// The true-peak image of source (the window of width W and height H) into output (W - 2
// by H, output column j under source column j + 1): rows 2 .. H - 3 hold the peaks at or
// above threshold, rows 0 and 1 and the first and last column are 0, the last two rows
// are not written. *count grows by the number of peaks.
int32_t cidut_truePeakPortable(const cimg_imageConst* source, cimg_image* output, double scale,
                               uint8_t threshold, uint8_t secondThreshold, int32_t* count);
