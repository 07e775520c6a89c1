// Region masks: the regions a search has already claimed, so that later search steps can
// skip points and candidate regions inside them.
//
// A mask keeps its regions in a list and, when built over an image, also paints each one
// as a rotated rectangle into an 8-bit mask image with the source image's placement and
// client coordinates, so that a point test costs one pixel read. Regions are stored in
// client coordinates; queries take points and regions in the caller's coordinates with a
// linear transform from those into client coordinates.
//
// A null mask is accepted by every call but construct and destruct: the call does nothing,
// sets a query's answer to 0 and returns 0.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "ci_id/priv/ci_idut/geometry/region.h"
#include "kit/image.h"
#include "kit/math.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct cid_mask {
  cimg_image image;                // 8-bit mask image; unbound when the mask has none
  cstd_vector_cid_region regions;  // claimed regions, in append order
  int32_t testCentre;              // region queries: a stored region holds the query's centre
  int32_t testSame;                // region queries: a stored region is the query's rectangle
  int32_t hasImage;
  uint8_t clearValue;    // mask pixels not claimed: 255
  uint8_t claimedValue;  // mask pixels claimed: 0
  cimg_window window;    // the whole mask image
} cid_mask;

#ifdef __cplusplus
static_assert(offsetof(cid_mask, image) == 0 && offsetof(cid_mask, regions) == sizeof(cimg_image) &&
                  offsetof(cid_mask, testCentre) == sizeof(cimg_image) + sizeof(cstd_vector) &&
                  offsetof(cid_mask, testSame) == offsetof(cid_mask, testCentre) + 4 &&
                  offsetof(cid_mask, hasImage) == offsetof(cid_mask, testCentre) + 8 &&
                  offsetof(cid_mask, clearValue) == offsetof(cid_mask, testCentre) + 12 &&
                  offsetof(cid_mask, claimedValue) == offsetof(cid_mask, testCentre) + 13 &&
                  offsetof(cid_mask, window) > offsetof(cid_mask, claimedValue),
              "cid_mask layout: callers set testCentre and testSame directly");
#endif

// Both region tests on, values 255 (clear) and 0 (claimed). With a source image, the mask
// image covers the source's current window, takes its image-from-client transform and
// starts clear; without one (null) the mask keeps the list only. A failure releases what
// was built and leaves the mask unusable.
CIDUT_API int32_t cid_mask_construct(cid_mask* mask, const cimg_image* source);
CIDUT_API int32_t cid_mask_destruct(cid_mask* mask);

// Region changes. index -1 names the last region. margin (client units) widens each side of
// the painted rectangle by margin / 2; the list keeps the region as given. Removing or
// replacing a region clears its painted pixels, those shared with other regions included.
// A failure after the list has changed leaves the list changed and the image partly painted.
CIDUT_API int32_t cid_mask_appendRegion(cid_mask* mask, const cid_region* region, double margin);
CIDUT_API int32_t cid_mask_removeRegion(cid_mask* mask, int32_t index, double margin);
CIDUT_API int32_t cid_mask_updateRegion(cid_mask* mask, int32_t index, const cid_region* region,
                                        double margin);

// *answer = 1 when the region is already claimed: with testCentre, a stored region holds its
// centre; with testSame, a stored region's affine rectangle has the same corners within
// tolerance (caller units), the corner list [Po, Px, Py, Popp] possibly shifted cyclically
// (a region flipped in Y matches). At least one of the two tests must be on.
CIDUT_API int32_t cid_mask_isRegionUnMasked(const cid_mask* mask, const cid_region* region,
                                            const cmath_xformLinear* xform, double tolerance,
                                            int32_t* answer);
// *answer = 1 when the point is claimed: without an image, a stored region holds it; with
// one, its mask pixel is claimed (0 outside the mask image).
CIDUT_API int32_t cid_mask_isPointUnMasked(const cid_mask* mask, const cmath_vect* point,
                                           const cmath_xformLinear* xform, int32_t* answer);

CIDUT_DECLARE_TYPE_CHECKS(cid_mask)

#ifdef __cplusplus
}
#endif
