// Finding every ring-finder symbol of an image: the signed edges of scan rows a few
// pixels apart, each row confirmed by the rows just above and below it, go to the
// library's band-pattern search; each ring found is claimed in the mask and the same row
// is searched again until it yields nothing more.
#pragma once

#include <stdint.h>

#include <vector>

#include "kit/image.h"
#include "locate_all.h"

struct idut_ringOptions {
  int32_t rowSpacing = 4;      // pixels between scan rows
  int32_t neighbourOffset = 2;  // pixels from a scan row to the rows that confirm it
  int32_t minContrast = 15;    // grey levels across an edge
  double minSize = 15.0;       // ring sides, pixels
  double maxSize = 2000.0;
  // Complete rings seen on three sides only (cut by the border, a side lost in glare);
  // this takes in other squarish shapes too, DataMatrix symbols among them.
  bool tryThreeSides = false;
};

// The signed edges of count grey values, positions counted from firstPosition: the
// position of the value before each edge whose three-value step reaches 3 x minContrast,
// positive for dark to light.
void idut_signedEdges(const uint8_t* values, int32_t count, int32_t firstPosition,
                      int32_t minContrast, std::vector<int16_t>* edges);

// The signed edges of image row y (client rows are image rows here) in the library's
// form: the column of the pixel before each edge whose three-pixel step reaches
// 3 x minContrast, positive for dark to light.
void idut_rowSignedEdges(const cimg_windowConst& window, int32_t y, int32_t minContrast,
                         std::vector<int16_t>* edges);

// Appends the rings of the image's window in the order the scan meets them, each as a
// symbol without a module grid (rows and cols 0); fourthCornerInferred is 1 for a ring
// completed from three sides. Returns 0 or the first failing library status.
int32_t idut_locateRings(const cimg_image* image, const idut_ringOptions& options,
                         std::vector<idut_symbol>* rings);
