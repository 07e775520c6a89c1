// Symbols for locator tests as grids of modules: nested-ring finders drawn here, and any
// symbology that the zint program renders (QR Code, Aztec Code, DataMatrix, Code 128,
// EAN-13, Interleaved 2 of 5, ...), painted into scenes under any perspective.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "kit/math.h"
#include "support/synthetic.h"

// Dark (1) and light (0) modules, row by row.
struct moduleGrid {
  int32_t rows = 0;
  int32_t columns = 0;
  std::vector<uint8_t> dark;
  bool at(int32_t r, int32_t c) const { return dark[size_t(r) * columns + c] != 0; }
};

// A square finder of `rings` dark rings around a dark centre of centreModules x
// centreModules: rings 1 and centre 3 give QR Code's finder (7 x 7), rings 2 and centre 1
// Aztec Code's compact bull's-eye (9 x 9).
moduleGrid ringFinderModules(int32_t rings, int32_t centreModules);

// zint's symbology numbers for the symbols the tests use.
enum zintSymbology : int32_t {
  zintInterleaved2of5 = 3,
  zintEan13 = 13,
  zintCode128 = 20,
  zintQrCode = 58,
  zintDataMatrix = 71,
  zintAztec = 92,
};

// Whether the zint program can be run (asked once).
bool zintInstalled();

// The modules zint renders for `text` (one row for linear barcodes, without the quiet
// zones), with further zint options such as "--square", "--vers=N", "--gs1" or "--esc";
// false when the program is missing or refuses the text.
bool zintModules(zintSymbology symbology, const std::string& text, moduleGrid* grid,
                 const std::string& options = "");

// Paints the dark modules with grey `dark`; the grid's outer corners (top-left,
// top-right, bottom-right, bottom-left as drawn) go to the given scene points, so any
// quadrilateral gives a perspective view. A one-row grid is stretched to the corners'
// height: bars.
void paintModules(greyScene& scene, const moduleGrid& grid, const cmath_vect corners[4],
                  double dark);

// The corners of a rectangle of width x height pixels centred on `centre` and turned by
// `angle` radians (clockwise on screen), in the order paintModules takes them.
void turnedRectangle(cmath_vect centre, double width, double height, double angle,
                     cmath_vect corners[4]);
