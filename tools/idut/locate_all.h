// Finding every DataMatrix symbol of an image the way a reader does: scan rows a few
// pixels apart, search, claim what was found in a mask, go on from the row where it was
// found until the search finds nothing more; then the next pass of the plan.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "kit/image.h"
#include "kit/math.h"

// One search over all scan rows. The sequential passes share one visit map (an edge
// tracked once is not tried again); the adaptive pass keeps its own.
enum idut_pass : int32_t {
  idut_passRows,         // sequential search, row edges of strength 45 (contrast 15)
  idut_passLowContrast,  // sequential search, row edges of strength 33 (contrast 11)
  idut_passAdaptive,     // adaptive-threshold search, row edges of strength 45
};

// Which way round the symbols are printed (see symbol_polarity.h). Knowing it lets the
// loop drop the outlines of labels, which the finder takes for symbols.
enum idut_polarity : int32_t {
  idut_polarityAny,
  idut_polarityDarkOnLight,
  idut_polarityLightOnDark,
};

struct idut_locateOptions {
  int32_t rowSpacing = 8;  // pixels between scan rows
  double minSize = 15.0;   // symbol sides, pixels
  double maxSize = 2000.0;
  int32_t symbolRows = 0;  // modules; 0, 0: any shape; equal: square; different: rectangular
  int32_t symbolCols = 0;
  int32_t relaxedFit = 1;
  int32_t extraRelaxedFit = 0;
  int32_t allowBorderTouch = 0;
  idut_polarity polarity = idut_polarityDarkOnLight;
  int32_t minScore = 600;  // finds scoring less are dropped, not claimed
  std::vector<idut_pass> passes{idut_passRows};
};

struct idut_symbol {
  // Perimeter order in the image's client coordinates (pixel (i, j) covers
  // [i, i + 1) x [j, j + 1)): the L's corner, the end of its x side, the opposite corner,
  // the end of its y side.
  cmath_vect corners[4];
  int32_t score;                 // 0..1000; 0 for the adaptive pass, which does not score
  int32_t threshold;             // grey level of the tracked contour
  int32_t fourthCornerInferred;  // 1: the opposite corner completes a parallelogram
  // The module grid measured on the clock tracks (module_grid.h): modules along the y side
  // (rows) and along the x side (columns), and the mean module pitch of the two tracks in
  // pixels.
  int32_t rows = 0;
  int32_t cols = 0;
  double pitch = 0.0;
};

// The pass names of the command line: "rows", "low-contrast", "adaptive".
const char* idut_pass_name(idut_pass pass);
bool idut_pass_fromName(const std::string& name, idut_pass* pass);

// Finds the symbols of the image's window in the order the passes meet them and appends
// them to *symbols. Returns 0 or the first failing library status.
int32_t idut_locateAll(const cimg_image* image, const idut_locateOptions& options,
                       std::vector<idut_symbol>* symbols);
