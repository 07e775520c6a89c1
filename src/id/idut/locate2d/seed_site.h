// What the finders from a seed share around it: the windows they work in, the seed's
// run parameters, the test whether the seed is still free, and the tracked contour taken
// into the finders' fixed point.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/locate2d.h"
#include "id/idut/locate2d/boundary_analysis.h"
#include "id/idut/locate2d/visit_map.h"

struct cid2d_seedSite {
  cimg_windowConst window;            // the image window the seed's coordinates refer to
  ccVisitMap visits;
  cmath_xformLinear clientFromImage;  // results go to the caller in client coordinates
};

// Opens the image and visit-map windows and tests the seed: *isFree is false when the
// mask claims the seed's point or its visit-map block is marked.
int32_t cid2d_openSeedSite(const cimg_imageConst* image, cimg_image* visitMap,
                           const cid_mask* mask, const cmath_xformLinear* maskXform,
                           const cid2d_trackingSeed& seed, cid2d_seedSite* site, bool* isFree);

// Run parameters for a search from the tracker's defaults: interpolated crossings, open
// contours followed both ways, no least length, at most the params' boundary points.
int32_t cid2d_searchRunParams(const cid2d_trackingParams& params, cbt_runParams* run);

// The caller's run parameters with the seed's polarity, segment and level, and the
// point limit the work buffers allow.
cbt_runParams cid2d_seedRunParams(const cbt_runParams& base, const cid2d_trackingSeed& seed,
                                  const cid2d_trackingParams& params);

// The tracker's points (pixels x 256, pixel centres on integers) in 1/16 pixel with pixel
// (i, j) covering [i, i + 1) x [j, j + 1); returns their count, at most the buffers' limit.
int32_t cid2d_takeContour(const cbt_result& boundary, cid2d_point* contour);

// The halved contour's bounding box in whole pixels (*w, *h) and whether it suits a
// symbol: its longer side within [minSize, maxSize], its shorter at least minSize, both
// shorter than the window less one pixel, and their ratio at most maxAspect.
bool cid2d_contourSizeFits(const cid2d_point* contour, int32_t n, const cimg_windowConst& window,
                           const cid2d_trackingParams& params, int32_t maxAspect, int32_t* w,
                           int32_t* h);

// The pixel column or row of a tracker coordinate.
inline int32_t cid2d_trackerPixel(int32_t v) { return (v + 128) >> 8; }

// Contour smoothing span in points: min(25, max(min(w, h) / D, minSmoothing)) with D the
// larger of 32 and the module counts.
int32_t cid2d_smoothingSpan(int32_t w, int32_t h, const cid2d_trackingParams& params);
