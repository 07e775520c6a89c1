// 2-D symbol locating by boundary tracking: tracking seeds found on scan lines, the search
// parameters and results, and the DataMatrix finders and searches.
//
// Units: seed coordinates are pixels relative to the origin of the image window the seed
// was found in; tracker start and end points are those pixels x 256.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "ci_id/priv/ci_idut/geometry.h"
#include "kit/bt.h"
#include "kit/image.h"
#include "kit/shapes.h"

#ifdef __cplusplus
extern "C" {
#endif

// One edge found on a scan line.
typedef struct cid2d_trackingSeed {
  int32_t x;          // the pixel just before the edge in scan direction
  int32_t y;
  int32_t strength;   // peak of the three-pixel-sum difference (3x the edge contrast)
  int32_t meanGrey;   // mean of the four pixels straddling the edge: the contour level
  int32_t scanIndex;  // index of the scan line in the caller's list
  int32_t polarity;   // 1: the edge pixel is darker than meanGrey (dark to light)
  int32_t startX;     // tracker start point, pixels x 256 (beyond the edge)
  int32_t startY;
  int32_t endX;       // tracker end point, pixels x 256 (before the edge)
  int32_t endY;
} cid2d_trackingSeed;

// Search parameters; cid2d_trackingParams_init sets the defaults given in brackets.
typedef struct cid2d_trackingParams {
  void* scratch;               // caller's work memory for the boundary analysis [null]
  uint32_t scratchBytes;       // its size; the finders need CID2D_SCRATCH_BYTES [0]
  const int32_t* scanPositions;  // rows (or columns) to scan, image pixels [null]
  int32_t numScanPositions;    // [0]
  double minSize;              // smallest symbol side, pixels [15]
  double maxSize;              // largest symbol side, pixels [2000]
  int32_t symbolRows;          // modules along one side, 0 = unknown [0]
  int32_t symbolCols;          // modules along the other side [0]
  int32_t scanRows;            // 1: positions are rows scanned left to right; 0: columns [1]
  int32_t startScanIndex;      // where a sequential search starts [0]
  double minSmoothing;         // least contour smoothing span, points [3]
  int32_t maxBoundaryPoints;   // longest contour, clipped to 16379 by the finders [INT32_MAX]
  int32_t allowBorderTouch;    // accept open contours and corners off the window [0]
  int32_t relaxedFit;          // looser L fit and a search for the opposite corner [0]
  int32_t extraRelaxedFit;     // loosest L fit when the shape is unknown [0]
  int32_t numFitPasses;        // segment-fitting passes [2]
} cid2d_trackingParams;

#define CID2D_SCRATCH_BYTES 229320u

// The outcome of a search.
typedef struct cid2d_trackingResult {
  cmath_shapeAffineRect rect;    // origin at the L's corner, sides along its legs
  cmath_vect fourthCorner;       // corner opposite the origin, image pixels
  int32_t fourthCornerInferred;  // 1: completed as a parallelogram; 0: measured
  cbt_result boundary;           // contour of the last seed tried
  int32_t found;
  int32_t foundScanIndex;        // where the search found the symbol or stopped
  int32_t score;                 // fit quality 0..1000
  int32_t scoreRange;            // 1000 once a finder completed its region stage
  uint8_t threshold;             // grey level the contour was tracked at
  cid2d_trackingSeed seed;       // the seed that produced boundary
} cid2d_trackingResult;

CIDUT_API int32_t cid2d_trackingParams_init(cid2d_trackingParams* params);
CIDUT_API int32_t cid2d_trackingResult_construct(cid2d_trackingResult* result);
// found = 0 and score = 0; nothing else changes.
CIDUT_API int32_t cid2d_trackingResult_reset(cid2d_trackingResult* result);
CIDUT_API int32_t cid2d_trackingResult_destruct(cid2d_trackingResult* result);
CIDUT_DECLARE_TYPE_CHECKS(cid2d_trackingResult)

// Seeds on the given rows of a constant 8-bit image: edges whose strength is at least
// minContrast, at most maxSeeds of them; sorted by strength (descending, then scan index)
// when sort is set. pairFilter keeps runs of closely spaced edges of alternating polarity
// (spacing below pairSpacing pixels) and lets an isolated edge be replaced by the next.
CIDUT_API int32_t cid2d_getHorizontalTrackingSeeds(const cimg_imageConst* image,
                                                   const int32_t* rows, int32_t numRows,
                                                   int32_t maxSeeds, int32_t minContrast,
                                                   int32_t sort, cid2d_trackingSeed* seeds,
                                                   int32_t* numSeeds, int32_t pairFilter,
                                                   double pairSpacing);
// Seeds on exactly three rows: the leftmost edge and the 29 strongest others of the first
// row, the 3 strongest of each other row (at most 36); the third argument is ignored.
CIDUT_API int32_t cid2d_getHorizontalTrackingSeeds_ThreeScanlines(
    const cimg_imageConst* image, const int32_t* rows, int32_t ignored, int32_t maxSeeds,
    int32_t minContrast, cid2d_trackingSeed* seeds, int32_t* numSeeds);

// The DataMatrix finder from one seed. Tracks the contour through the seed at its grey
// level, marks the 4 x 4 blocks it crosses in the quarter-resolution visit map, and fits
// the finder's L. Returns 0 whether or not a symbol was found (result->found tells);
// CIDUT_ERR_NO_BOUNDARY for a usable contour without points; kit, mask and attention
// failures unchanged. The symbol goes to result->rect in the image's client coordinates;
// maskXform maps client coordinates into the mask's. params->scratch must hold
// CID2D_SCRATCH_BYTES; reserved is not used.
CIDUT_API int32_t cf_BndFindDMSymbolFromSeed(const cimg_imageConst* image,
                                             const cid2d_trackingParams* params,
                                             const cid2d_trackingSeed* seed,
                                             const cbt_runParams* runParams, cimg_image* visitMap,
                                             const cid_mask* mask, int32_t reserved,
                                             const cmath_xformLinear* maskXform,
                                             cid2d_trackingResult* result);

// The next DataMatrix symbol along the scan lines of params, from startScanIndex on: each
// edge of strength 45 (33 with lowContrast; 15 on columns) whose visit-map block is still
// 0 is offered to cf_BndFindDMSymbolFromSeed. result->foundScanIndex is the scan index of
// the symbol, or where the walk stopped. reserved goes to the finder.
CIDUT_API int32_t cf_BndFindNextDMSymbol(const cimg_imageConst* image,
                                         const cid2d_trackingParams* params, const cid_mask* mask,
                                         int32_t reserved, const cmath_xformLinear* maskXform,
                                         int32_t lowContrast, cimg_image* visitMap,
                                         cid2d_trackingResult* result);

// The same walk with adaptive tracking: each seed goes to
// cf_BndFindDMSymbolFromSeed_Adaptive, which reports an L, not a rectangle.
CIDUT_API int32_t cidut_BoundaryTrackerSearchDMSymbolAdaptiveThreshold(
    const cimg_imageConst* image, const cid2d_trackingParams* params, const cid_mask* mask,
    const cmath_xformLinear* maskXform, int32_t lowContrast, cimg_image* visitMap,
    cid2d_trackingResult* result);

// The finder from one seed with a tracking level that adapts to the local contrast. The
// L it finds is left in result->boundary.corners as whole pixels (contour coordinates):
// the corner twice (words 0-1 and 2-3), then the far end of each leg (4-5 and 6-7), the
// longer leg's first when it turns towards the other. Visit-map blocks get 1 + the
// contour's column mod 4. extra goes to the tracker and selects the size test: 0
// requires both sides within [minSize, maxSize], otherwise only the longer one.
CIDUT_API int32_t cf_BndFindDMSymbolFromSeed_Adaptive(const cimg_imageConst* image,
                                                      const cid2d_trackingParams* params,
                                                      const cid2d_trackingSeed* seed,
                                                      const cbt_runParams* runParams,
                                                      cimg_image* visitMap, const cid_mask* mask,
                                                      const cmath_xformLinear* maskXform,
                                                      int32_t extra, cid2d_trackingResult* result);

// A gate in front of cf_BndFindDMSymbolFromSeed: the seed's edge must be followable over
// more than five rows, 4 pixels apart, above and below the seed (the chain is kept in
// params->scratch). Same arguments as the finder.
CIDUT_API int32_t cf_DcdFindDMSymbolFromSeed(const cimg_imageConst* image,
                                             const cid2d_trackingParams* params,
                                             const cid2d_trackingSeed* seed,
                                             const cbt_runParams* runParams, cimg_image* visitMap,
                                             const cid_mask* mask, int32_t reserved,
                                             const cmath_xformLinear* maskXform,
                                             cid2d_trackingResult* result);

// ---------------------------------------------------------------------------------------
// Ring-finder (PDP) symbols: a finder of nested square rings, so that a line through its
// centre crosses equal dark and light bands on both sides of a centre band at most about
// three bands wide.
//
// Signed edge lists hold one entry per edge along a scan line, in scan order: the
// magnitude is the position of the pixel just before the edge (image pixels along the
// line), the sign the polarity, positive for a dark-to-light edge in scan direction.

// A tracking result and the number of tracker calls the PDP finder made into it; the
// caller sets trackCount to 0, the result functions above leave it alone.
typedef struct cid2d_pdpResult {
  cid2d_trackingResult tracking;
  int32_t trackCount;
} cid2d_pdpResult;

// The PDP finder from one seed: tracks the ring through the seed, cuts its contour into
// straight runs and fits the ring's quadrilateral; with tryThreeSides set, a ring seen
// on three sides only is completed from the convex hull of its contour. Arguments, visit
// map and statuses as cf_BndFindDMSymbolFromSeed, except that every failing tracker status
// is returned; only the seed's own visit block is marked.
CIDUT_API int32_t cf_BndFindPDPSymbolFromSeed(const cimg_imageConst* image,
                                              const cid2d_trackingParams* params,
                                              const cid2d_trackingSeed* seed,
                                              const cbt_runParams* runParams,
                                              cimg_image* visitMap, int32_t tryThreeSides,
                                              const cid_mask* mask, int32_t reserved,
                                              const cmath_xformLinear* maskXform,
                                              cid2d_pdpResult* result);

// The band pattern on row params->scanPositions[startScanIndex]: edges holds the row's
// signed edges, edgesAbove and edgesBelow those of two neighbouring rows the caller chose
// (they confirm the pattern), each with its count. Each match whose centre column also
// shows the rings vertically becomes a seed for cf_BndFindPDPSymbolFromSeed; the first
// ring found ends the call (result->tracking.foundScanIndex = startScanIndex).
CIDUT_API int32_t cf_BndFindNextPDP(const cimg_imageConst* image,
                                    const cid2d_trackingParams* params, const cid_mask* mask,
                                    int32_t reserved, const cmath_xformLinear* maskXform,
                                    cimg_image* visitMap, int32_t tryThreeSides,
                                    const int16_t* edges, const int16_t* edgesAbove,
                                    const int16_t* edgesBelow, int32_t numEdges,
                                    int32_t numEdgesAbove, int32_t numEdgesBelow,
                                    cid2d_pdpResult* result);

// The band pattern along a sampled line: line holds profileLength sample points (x, y in
// image pixels, two doubles each), profile the grey values there, edges the signed edges
// as sample indices. shortPattern looks for three intervals (dark, light, dark) instead
// of five. No confirmation on other lines.
CIDUT_API int32_t cf_BndFindMatchingPDP(const cimg_imageConst* image,
                                        const cid2d_trackingParams* params, const cid_mask* mask,
                                        int32_t reserved, const cmath_xformLinear* maskXform,
                                        cimg_image* visitMap, int32_t tryThreeSides,
                                        const int16_t* edges, int32_t numEdges,
                                        int32_t profileLength, int32_t shortPattern,
                                        const double* line, const uint8_t* profile,
                                        cid2d_pdpResult* result);

// ---------------------------------------------------------------------------------------
// Linear barcodes: the bars crossed by a scan line through the image's middle, tracked as
// contours, give the bar direction (the median slope of their longest straight sides).

// *rect = a rectangle across the bars through the middle of the bars measured: as long as
// the image is wide, 100 pixels across, both axes at the bar direction - pi/2; *found = 1.
// Neither output is written when no direction was measured (status 0).
CIDUT_API int32_t cid2d_findOneBarcode(const cimg_imageConst* image, cmath_shapeAffineRect* rect,
                                       int32_t* found);

// Whether a candidate region (client coordinates) holds bars along its own y axis, within
// 18 degrees: *isLike = 0 at once, 1 when it does; *alignedRegion = the region, then on
// success the region turned about its centre onto the measured bar direction.
CIDUT_API int32_t cid2d_getIsCandidateBarcodeLike(const cimg_imageConst* image,
                                                  const cid_region* region, int32_t* isLike,
                                                  cid_region* alignedRegion);

// ---------------------------------------------------------------------------------------
// The coarse and fine images of a search, each held as a constant copy addressed in its
// own pixels: identity client transform, origin (0, 0).

typedef struct cid2d_imageMemoryManager {
  cimg_imageConst coarse;
  cimg_imageConst coarseAux;  // unbound; kept for callers that stage a second image
  int32_t coarseAuxState;
  cimg_imageConst fine;
  cimg_imageConst fineAux;
  int32_t fineAuxState;
  int32_t auxState;
} cid2d_imageMemoryManager;

// On failure nothing is left constructed.
CIDUT_API int32_t cid2d_imageMemoryManager_construct(cid2d_imageMemoryManager* manager,
                                                     const cimg_imageConst* coarseImage,
                                                     const cimg_imageConst* fineImage);
CIDUT_API int32_t cid2d_imageMemoryManager_destruct(cid2d_imageMemoryManager* manager);
// *image becomes a handle on the coarse (fine) copy.
CIDUT_API int32_t cid2d_imageMemoryManager_getCoarseImage(const cid2d_imageMemoryManager* manager,
                                                          cimg_imageConst* image);
CIDUT_API int32_t cid2d_imageMemoryManager_getFineImage(const cid2d_imageMemoryManager* manager,
                                                        int32_t ignored, cimg_imageConst* image);
CIDUT_DECLARE_TYPE_CHECKS(cid2d_imageMemoryManager)

#ifdef __cplusplus
}
#endif

// ---------------------------------------------------------------------------------------
// Perspective: whether a measured fourth corner departs from the parallelogram completion,
// the perspective transform between the two quadrilaterals, rectangles mapped through a
// transform, and checks of four corners (image pixels throughout).

#include "kit/xform.h"

#ifdef __cplusplus
extern "C" {
#endif

// *required = 1 when fourthCorner lies more than 2 pixels from points' completing corner
// p1 + p2 - p0; 0 when it does not or when fourthCorner is null.
CIDUT_API int32_t cidut_isPerspectiveMappingRequired(const cmath_shapeAffineRectPoints* points,
                                                     const cmath_vect* fourthCorner,
                                                     int32_t* required);
// *severe = 1 when that distance exceeds threshold (pixels).
CIDUT_API int32_t cidut_isPerspectiveSevere(const cmath_shapeAffineRectPoints* points,
                                            const cmath_vect* fourthCorner, double threshold,
                                            int32_t* severe);
// Constructs xform, the perspective transform that keeps p0, p1 and p2 and takes the
// completing corner to fourthCorner, and inverse, its inverse. On success the caller owns
// both and destructs them (cmath_xformPerspective_destruct); on failure neither is left
// constructed (a destructed record is cleared). Four points in no general position give
// the kit's CMATH_STATUS_DEGENERATE_POINTS.
CIDUT_API int32_t cidut_perspectiveMapping_construct(const cmath_shapeAffineRectPoints* points,
                                                     const cmath_vect* fourthCorner,
                                                     cmath_xformPerspective* xform,
                                                     cmath_xformPerspective* inverse);
// out = the affine rectangle through the images of rect's Po, Px and Py (out may alias
// rect; untouched on failure). The completing corner is not mapped, so under a perspective
// transform out is generally not the image of rect.
CIDUT_API int32_t cidut_affine_mapPerspective(const cmath_shapeAffineRect* rect,
                                              const cmath_xform* xform,
                                              cmath_shapeAffineRect* out);

// Corner quadruples: p0 and p3 are opposite corners, and so are p1 and p2; p0-p3 and p1-p2
// are the diagonals.

// *convex = 1 when the diagonals cross at least one pixel inside both of them (away from
// every corner), else 0. Diagonals of zero length (CIDUT_ERR_DEGENERATE_SEGMENT) or parallel
// diagonals (CIDUT_ERR_PARALLEL) are failures; *convex is then 0.
CIDUT_API int32_t cidut_verifyConvexHull4Points(const cmath_vect* p0, const cmath_vect* p1,
                                                const cmath_vect* p2, const cmath_vect* p3,
                                                int32_t* convex);

// Defects reported by cidut_verifyValidBarcodeRgnCorners.
enum {
  CIDUT_CORNER_P0_OUTSIDE = 1,
  CIDUT_CORNER_P1_OUTSIDE = 2,
  CIDUT_CORNER_P2_OUTSIDE = 4,
  CIDUT_CORNER_P3_OUTSIDE = 8,
  CIDUT_CORNERS_NOT_CONVEX = 16,
};

// *defects = the defects of the quadruple, 0 when it is valid: each corner must lie in the
// pixels of bounds (x .. x + width - 1, y .. y + height - 1, fractions compared as they
// are) and the quadruple must pass cidut_verifyConvexHull4Points. When that check fails,
// its status is returned and *defects is not written.
CIDUT_API int32_t cidut_verifyValidBarcodeRgnCorners(const cmath_vect* p0, const cmath_vect* p1,
                                                     const cmath_vect* p2, const cmath_vect* p3,
                                                     const cstd_rect32* bounds, int32_t* defects);

#ifdef __cplusplus
}
#endif
