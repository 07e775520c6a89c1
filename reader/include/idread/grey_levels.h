// The grey levels of an image a reader looks at before it binarizes: the two-class
// threshold, the dark and light ends of the histogram, and how sharp the edges are.
#pragma once

#include <stdint.h>

#include "idread/export.h"
#include "kit/image.h"

struct idread_greyLevels {
  int32_t threshold;     // the two-class (Otsu) threshold of the window's histogram
  double separability;   // how well it splits the histogram, 0..1
  double darkMean;       // the darkest `percent` per cent of the pixels
  double darkDeviation;
  double lightMean;      // the lightest `percent` per cent
  double lightDeviation;
  double sharpness;      // the library's edge-sharpness figure over the whole window
};

// Measures the image's window; percent is 1 to 100. Returns 0 or the first failing
// library status (*levels is then not written).
IDREAD_API int32_t idread_measureGreyLevels(const cimg_imageConst* image, int32_t percent,
                                            idread_greyLevels* levels);
