// The last stages of the finders from a seed: the found rectangle stored in the result in
// the caller's coordinates, and the region test against the mask and the image.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/locate2d/seed_site.h"

// A symbol's corners in image pixels: the origin, the ends of its two sides and the corner
// opposite the origin.
struct cid2d_symbolCorners {
  cmath_vect corner;
  cmath_vect side1;
  cmath_vect side2;
  cmath_vect fourth;
};

// Maps the corners into client coordinates and stores them as result->rect, the sides
// ordered so that the cross product of side 1 and side 2 (from the origin) is not
// positive; with them fourthCorner, fourthCornerInferred, score and the seed's level.
int32_t cid2d_storeSymbolRect(const cid2d_seedSite& site, const cid2d_symbolCorners& corners,
                              int32_t fourthCornerInferred, int32_t score,
                              const cid2d_trackingSeed& seed, cid2d_trackingResult* result);

// scoreRange = 1000; found = 1 when result->rect overlaps no claimed region of the mask
// (5 pixels of tolerance) and its enclosing pixels lie inside the image window;
// foundScanIndex = params.startScanIndex.
int32_t cid2d_testSymbolRegion(const cimg_imageConst* image, const cid_mask* mask,
                               const cmath_xformLinear* maskXform,
                               const cid2d_trackingParams& params, cid2d_trackingResult* result);
