// Rendered DataMatrix-like symbols for finder tests: the solid L along the left and bottom
// sides, clock tracks along the top and right, random data modules inside. No encoder:
// the pattern only has to look like a symbol to a locator.
#pragma once

#include <stdint.h>

#include "kit/math.h"
#include "support/synthetic.h"

struct renderedSymbol {
  // Outer corners of the module grid in continuous coordinates: the symbol's top-left,
  // top-right, bottom-right and bottom-left (the L's corner) as printed.
  cmath_vect corners[4];
};

// Paints a rows x columns symbol (dark modules of grey `dark`) with its centre at
// `centre`, modules of `moduleSize` pixels, turned by `angle` radians (clockwise on
// screen). Data modules come from `seed`.
renderedSymbol paintDataMatrix(greyScene& scene, int32_t rows, int32_t columns, double moduleSize,
                               double angle, cmath_vect centre, double dark, uint32_t seed);

// The same symbol seen in perspective: its grid's outer corners (top-left, top-right,
// bottom-right, bottom-left as printed) at the given scene points.
renderedSymbol paintDataMatrixInPerspective(greyScene& scene, int32_t rows, int32_t columns,
                                            const cmath_vect corners[4], double dark,
                                            uint32_t seed);

// True when a found corner lies within `tolerance` pixels of the expected one.
bool isNear(const cmath_vect& found, const cmath_vect& expected, double tolerance);
