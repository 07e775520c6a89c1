// Transforms of the images in the tests of the pixel operations and the morphology.
#pragma once

#include "kit/image.h"
#include "support/held_image.h"

inline cmath_xformLinear imageFromClient(const heldImage& image) {
  cmath_xformLinear x;
  cimg_image_getLinearImageFromClientXform(&image.image, &x);
  return x;
}

inline cmath_vect mapped(const cmath_xformLinear& x, double px, double py) {
  const cmath_vect p{px, py};
  cmath_vect out;
  cmath_xformLinear_mapPoint(&x, &p, &out);
  return out;
}
