// Locating symbols the way a reader does. DataMatrix: scan rows a few pixels apart, offer
// each edge that runs on straight through its neighbouring rows to the finder, claim
// what was found in a mask and go on along the rows; then the next pass of the plan.
// Ring-finder symbols: band patterns on rows, confirmed on lines through each ring's
// centre. Linear barcodes: the bar direction through the image's middle.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "kit/image.h"
#include "idread/export.h"
#include "kit/math.h"
#include "kit/shapes.h"

// One search over all scan rows. The sequential passes share one visit map (an edge
// tracked once is not tried again); the adaptive pass keeps its own. Edges are offered to
// the finder only where they run on straight through the rows above and below: grain and
// texture, whose contours would wander far, are passed over.
enum idread_pass : int32_t {
  idread_passRows,         // sequential search, row edges of strength 45 (contrast 15)
  idread_passLowContrast,  // sequential search, row edges of strength 33 (contrast 11)
  idread_passAdaptive,     // adaptive-threshold search, row edges of strength 45
};

// Which way round the symbols are printed (see symbol_polarity.h). Knowing it lets the
// loop drop the outlines of labels, which the finder takes for symbols.
enum idread_polarity : int32_t {
  idread_polarityAny,
  idread_polarityDarkOnLight,
  idread_polarityLightOnDark,
};

struct idread_locateOptions {
  int32_t rowSpacing = 8;  // pixels between scan rows
  int32_t firstRow = -1;   // pixels from the window's top to the first scan row; -1: half
                           // the spacing (firstScanRow())
  double minSize = 15.0;   // symbol sides, pixels
  double maxSize = 2000.0;
  int32_t symbolRows = 0;  // modules; 0, 0: any shape; equal: square; different: rectangular
  int32_t symbolCols = 0;
  int32_t relaxedFit = 1;
  int32_t extraRelaxedFit = 0;
  int32_t allowBorderTouch = 0;
  idread_polarity polarity = idread_polarityDarkOnLight;
  int32_t minScore = 600;  // finds scoring less are dropped, not claimed
  std::vector<idread_pass> passes{idread_passRows};

  // The first scan row as placed: firstRow, or half the spacing.
  int32_t firstScanRow() const { return firstRow >= 0 ? firstRow : rowSpacing / 2; }
};

struct idread_symbol {
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

// The option names of the command line and the Python package. Passes: "rows",
// "low-contrast", "adaptive". Shapes: "any", "square", "rectangular" (the smallest
// symbol of each shape, whose counts only select the shape test). Fits: "strict" (the
// library's default), "relaxed" (looser angle and side-ratio limits and a search for the
// corner opposite the L), "extra-relaxed" (the loosest limits when the shape is any).
// Polarities: "dark" (on light), "light" (on dark), "any". A name that is none of these
// gives false and changes nothing.
IDREAD_API const char* idread_pass_name(idread_pass pass);
IDREAD_API bool idread_pass_fromName(const std::string& name, idread_pass* pass);
IDREAD_API bool idread_setShapeByName(const std::string& name, idread_locateOptions* options);
// The exact module counts of a DataMatrix size, rows x columns either way round; false
// for counts that are no symbol's.
IDREAD_API bool idread_setShapeBySize(int32_t rows, int32_t columns, idread_locateOptions* options);
IDREAD_API const char* idread_fit_name(const idread_locateOptions& options);
IDREAD_API bool idread_setFitByName(const std::string& name, idread_locateOptions* options);
IDREAD_API const char* idread_polarity_name(idread_polarity polarity);
IDREAD_API bool idread_polarity_fromName(const std::string& name, idread_polarity* polarity);

// Finds the symbols of the image's window in the order the passes meet them and appends
// them to *symbols. Returns 0 or the first failing library status.
IDREAD_API int32_t idread_locateAll(const cimg_image* image, const idread_locateOptions& options,
                       std::vector<idread_symbol>* symbols);

struct idread_ringOptions {
  int32_t rowSpacing = 4;      // pixels between scan rows
  int32_t neighbourOffset = 2;  // pixels from a scan row to the rows that confirm it
  int32_t minContrast = 15;    // grey levels across an edge
  double minSize = 15.0;       // ring sides, pixels
  double maxSize = 2000.0;
  // Complete rings seen on three sides only (cut by the border, a side lost in glare);
  // this takes in other squarish shapes too, DataMatrix symbols among them.
  bool tryThreeSides = false;
};

// Appends the rings of the image's window in the order the scan meets them, each as a
// symbol without a module grid (rows and cols 0); fourthCornerInferred is 1 for a ring
// completed from three sides. Returns 0 or the first failing library status.
IDREAD_API int32_t idread_locateRings(const cimg_image* image, const idread_ringOptions& options,
                                      std::vector<idread_symbol>* rings);

// The bars of a linear barcode across the image's middle.
struct idread_barcode {
  int32_t found = 0;          // 1 when a bar direction was measured
  cmath_shapeAffineRect rect{};  // across the bars through their middle, image pixels
  double barAngle = 0.0;      // the bars' direction, degrees from the x axis, clockwise on
                              // screen, 0 to 180
};

// Measures the bars crossing the middle of the image's window (the library's one-barcode
// finder); bars near the direction of its scan row are measured on the transposed image.
// Returns 0 or the first failing library status.
IDREAD_API int32_t idread_findBarcode(const cimg_image* image, idread_barcode* barcode);
