// 1-D sampling and pitch: grey profiles along segments of an 8-bit image, sub-pixel edges
// on such profiles and the light caliper that chains the two; pitch and phase of clock
// grids from feature positions; normalised 1-D correlation with the best shift.
//
// Units. Points are image coordinates (pixel (c, r) of a window whose first pixel lies at
// (x0, y0) is centred at (x0 + c + 0.5, y0 + r + 0.5)). Sampling steps along the segment
// in 16.16 fixed point with 8-bit interpolation weights that sum to 255, so a uniform 255
// samples as 253. Edge magnitudes are signed grey differences (positive where the profile
// rises from the first point towards the second); edge positions are in 1/256 of the
// caller's scale unit (1/256 pixel from the first point for the caliper).
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "ci_id/priv/ci_idut/vector.h"
#include "kit/image.h"
#include "kit/math.h"
#include "kit/range.h"
#include "kit/shapes.h"
#include "kit/xform.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------------------------------
// Line sampling. Every sampling call needs n >= 1; the segment is clipped to the part of
// the window where all four neighbours of a sample exist, and fails with
// CIDUT_ERR_OUTSIDE_WINDOW when nothing is left. Profile entries before the first and
// after the last inside sample repeat those samples. Coordinates relative to the window
// must lie strictly within +-65536 pixels (argument check).

// *count = the distance between the points in pixels, rounded half away from zero.
CIDUT_API int32_t cidut_getPixelCount(const cmath_vect* first, const cmath_vect* second,
                                      int32_t* count);

// n bilinear samples at the centres of n equal sub-intervals of first..second; *mean =
// mean grey of the inside samples; *spacing = distance / n pixels.
CIDUT_API int32_t cidut_linePixels(const cimg_windowConst* image, const cmath_vect* first,
                                   const cmath_vect* second, uint8_t* profile, int32_t n,
                                   uint8_t* mean, double* spacing);

// n bilinear samples at the starts of n equal sub-intervals; *spacing = length / n (the
// caller's length, the distance is not computed).
CIDUT_API int32_t cidut_linePixels1(const cimg_windowConst* image, const cmath_vect* first,
                                    const cmath_vect* second, uint8_t* profile, double length,
                                    int32_t n, uint8_t* mean, double* spacing);

// n nearest-pixel samples at the sub-interval centres; *spacing = distance / n pixels.
CIDUT_API int32_t cidut_linePixels_LowPPM(const cimg_windowConst* image, const cmath_vect* first,
                                          const cmath_vect* second, uint8_t* profile, int32_t n,
                                          double* spacing);

// *activity = sum of absolute grey differences between bilinear samples at every second
// sub-interval start (a texture measure; no profile).
CIDUT_API int32_t cidut_linePixels2D(const cimg_windowConst* image, const cmath_vect* first,
                                     const cmath_vect* second, int32_t n, int32_t* activity);

// ---------------------------------------------------------------------------------------
// Edge location on a profile of n samples. At most maxEdges edges whose difference passes
// +-threshold (or, adaptive, a third of the strongest difference of each polarity; edges
// closer than 2.0 scaled units then merge into the stronger). Positions are sample index
// x scale in 1/256 units. Fewer than 5 samples, or no difference reaching the threshold,
// give count 0 with status 0. Returns the status of the scratch allocation.

// Forward scan of p[i + 2] - p[i]; a step between samples k - 1 and k lies at k.
CIDUT_API int32_t cidut_lineEdgeLoc(const uint8_t* profile, int32_t n, int32_t maxEdges,
                                    int32_t threshold, int32_t adaptive, double scale,
                                    int32_t* magnitudes, int32_t* positions, int32_t* count);

// Backward scan of the central difference p[i + 1] - p[i - 1]; a step between samples
// k - 1 and k lies at k - 0.5; edges come out last first.
CIDUT_API int32_t cidut_lineEdgeLoc2D(const uint8_t* profile, int32_t n, int32_t maxEdges,
                                      int32_t threshold, int32_t adaptive, double scale,
                                      int32_t* magnitudes, int32_t* positions, int32_t* count);

// Caliper: edges along first..second sampled at about one sample per pixel, positions in
// 1/256 pixel of distance from the first point.
CIDUT_API int32_t cidut_caliperLite(const cimg_windowConst* image, const cmath_vect* first,
                                    const cmath_vect* second, int32_t maxEdges, int32_t threshold,
                                    int32_t adaptive, int32_t* magnitudes, int32_t* positions,
                                    int32_t* count);

// ---------------------------------------------------------------------------------------
// Edges to teeth: a tooth is one module of a 1-D periodic structure along a scan, a bar
// between an edge of one polarity and the next of the other. Edges along a scan rectangle
// are paired into tooth candidates, the dominant width, contrast and grid phase are found
// by clustering, the best candidate of each grid slot is placed and missing slots are
// extrapolated. Lengths are 24.8 pixels (256 = 1 pixel), ratios and scores 8.8 (256 =
// 1.0); a double x becomes 24.8 as x * 256 + 0.5 truncated toward zero.

// The flag of cidut_edgeList1D.flags that every list passed for pairing carries: positions
// run along the scan rectangle's x axis.
#define CIDUT_EDGES_ALONG_X 2

// One edge along a scan: position in 24.8 pixels from the rectangle's centre along its x
// axis; magnitude a signed 24.8 grey contrast, positive for a rising edge.
typedef struct cidut_edge1D {
  int32_t position;
  int32_t magnitude;
} cidut_edge1D;

// The caller's edges in increasing position order, within the rectangle's x extent.
typedef struct cidut_edgeList1D {
  int32_t count;
  int32_t flags;     // must hold CIDUT_EDGES_ALONG_X
  int32_t reserved;  // not read
  const cidut_edge1D* edges;
} cidut_edgeList1D;

// A tooth (or a candidate for one). Synthetic (extrapolated) teeth have no edges.
typedef struct cidut_toothCand {
  cmath_vect point;        // image point of the centre, only with computePoints
  int32_t centreUnmapped;  // 24.8 along the caller's scan, from the rectangle centre
  int32_t score;           // 8.8
  int32_t contrast;        // 24.8 mean absolute magnitude of the two edges
  int32_t firstEdge;       // index into the edge list, -1 for a synthetic tooth
  int32_t secondEdge;
  int32_t slot;           // grid slot, -1 while unplaced
  int32_t centre;         // 24.8 along the (perspective-mapped) scan, from its centre
  int32_t width;          // 24.8 distance between the edges
  int32_t gridFit;        // 8.8 closeness of the centre to the grid phase
  int32_t widthScore;     // 8.8 min/max of width and dominant width
  int32_t contrastRatio;  // 8.8 weaker over stronger edge magnitude
} cidut_toothCand;

CIDUT_DECLARE_TYPED_VECTOR(cidut_toothCand)
CIDUT_DECLARE_TYPE_CHECKS(cstd_vector_cidut_toothCand)

// Teeth and their summary measures. Records own their vector: construct / destruct.
typedef struct cidut_teethResults {
  int32_t dominantWidth;              // 24.8 mean width of the winning width cluster
  int32_t dominantShift;              // 24.8 grid phase of the teeth centres within a pitch
  int32_t measuredPitch;              // 24.8 (last centre - first centre) / (count - 1)
  int32_t avgCellSizeDeviation;       // 8.8 mean of width / expected width - 1 over real teeth
  int32_t avgCellSize;                // 24.8 mean width over real teeth
  int32_t expectedWidth;              // 24.8 expected width used (after perspective scaling)
  cstd_vector_cidut_toothCand teeth;  // one tooth per slot
  int32_t reserved;                   // 24.8, -256; not written by the pairing
  int32_t bestIndex;                  // pairing bins only: the bin's best candidate
} cidut_teethResults;

typedef struct cidut_edgePairingParams {
  int32_t expectedCount;     // tooth slots to report
  int32_t twoSlotsPerPitch;  // slots advance by 2 per pitch; the count score halves
  int32_t borderSlots;       // the first and last slots stay free
  int32_t firstEdgeFalls;    // a tooth is falling then rising (else rising then falling)
  double expectedWidth;      // pixels; the caller sets it
  cmath_range widthRange;    // allowed width relative to expectedWidth
  double expectedPitch;      // pixels, at least 1/512; the caller sets it
  double originOffset;       // scan start to rectangle centre; negative: half the x length
  double minMagnitude;       // edges of lower signed magnitude are ignored; negative: off
  double minContrastRatio;   // least weaker/stronger magnitude ratio of a pair
  double ratioBound;         // not used
  int32_t minTeeth;          // fewer placed teeth give no teeth
  int32_t computePoints;     // fill every tooth's image point
} cidut_edgePairingParams;

// All fields at the values of the table in the record (centreUnmapped 0, scores -256,
// indices and slot -1); point is not touched. Status 0.
CIDUT_API int32_t cidut_toothCand_init(cidut_toothCand* tooth);
CIDUT_API int32_t cidut_toothCand_assign(cidut_toothCand* destination,
                                         const cidut_toothCand* source);

// Summary fields -256, bestIndex -1, an empty vector with room for 5 teeth; a failing
// reservation leaves nothing constructed and is returned.
CIDUT_API int32_t cidut_teethResults_construct(cidut_teethResults* results);
CIDUT_API int32_t cidut_teethResults_constructCopy(cidut_teethResults* results,
                                                   const cidut_teethResults* source);
CIDUT_API int32_t cidut_teethResults_destruct(cidut_teethResults* results);
// Scalars copied, teeth deep-copied; self-assignment does nothing.
CIDUT_API int32_t cidut_teethResults_assign(cidut_teethResults* destination,
                                            const cidut_teethResults* source);

// The defaults; widthRange 0.3 .. 1.7. Returns the range's status.
CIDUT_API int32_t cidut_edgePairingParams_init(cidut_edgePairingParams* params);

// Teeth of the edges along rect (its x axis the scan direction). With both forward and
// inverse given, positions are measured in the frame forward maps rect into (expected
// lengths scaled by the ratio of the x lengths); pointXform, when given, maps the computed
// image points. Fewer than 5 edges, or no usable teeth: status 0 and no teeth. A list
// without CIDUT_EDGES_ALONG_X: CIDUT_ERR_BAD_PARAMETER. Polls the attention check four
// times.
CIDUT_API int32_t cidut_edgesToTeeth(const cidut_edgePairingParams* params,
                                     const cidut_edgeList1D* edges, const cmath_xform* forward,
                                     const cmath_xform* inverse, const cmath_shapeAffineRect* rect,
                                     const cmath_xformLinear* pointXform,
                                     cidut_teethResults* results);

// ---------------------------------------------------------------------------------------
// Clock grids: features expected at multiples of a pitch plus a phase. Positions, pitch,
// tolerances and phase share the caller's fixed-point unit; 32-bit integer arithmetic, so
// the caller keeps (span << 8) within range.

// Refines pitch from n positions in scan order, the allowed pitch range being minPermille
// to maxPermille of it (at most about +-25 %) and tolerance the positional noise
// (1 <= tolerance < pitch / 2). *refinedPitch = the estimate; *periodSum = the sum of
// period indices of the last fit; *inliers = features whose phase lies within half of
// inlierWindow (1/256 period) of the last fit. reserved is not read.
CIDUT_API int32_t cidut_cg1dComputeScaledPitch(int32_t n, const int32_t* positions, int32_t pitch,
                                               int32_t minPermille, int32_t maxPermille,
                                               int32_t tolerance, int32_t reserved,
                                               int32_t* periodSum, int32_t inlierWindow,
                                               int32_t* inliers, int32_t* refinedPitch);

// For a known pitch, finds the largest group of features whose phases lie within minGap
// (0 < minGap <= pitch) of each other, wrapping at the pitch. gridIndices[i] = grid index
// of feature i counted from the group's first (0), -1 outside the group; indexWork (n
// entries, scratch) ends up with the same values. *phase = the group's grid phase; *flag
// = 0.
CIDUT_API int32_t cidut_cg1dOnGrid(int32_t n, const int32_t* positions, int32_t* gridIndices,
                                   int32_t pitch, int32_t minGap, int32_t* indexWork,
                                   int32_t* phase, int32_t* flag);

// ---------------------------------------------------------------------------------------
// 1-D correlation of a model m[0..M-1] against a signal s[0..L-1] at every shift o from -g
// to L - M + g (the model may overhang either end by g samples): scores[o + g] = squared
// correlation coefficient of the overlap where it is positive, else 0. M >= 1, L >= M and
// 0 <= g < M, else CIDUT_ERR_BAD_LENGTH.

// 32-bit samples, double sums; polls the attention check every eighth shift.
CIDUT_API int32_t cf_correlate1D_U32(const uint32_t* model, int32_t modelLength,
                                     const uint32_t* signal, int32_t signalLength, int32_t margin,
                                     double* scores);

// 8-bit samples, integer sums; a null pointer is CIDUT_ERR_NULL_DATA.
CIDUT_API int32_t cf_correlate1D_U8(const uint8_t* model, int32_t modelLength,
                                    const uint8_t* signal, int32_t signalLength, int32_t margin,
                                    double* scores);

// Best shift in samples (refined between shifts) and its score; 0.0 and 0.0 when no shift
// correlates positively or the signal is shorter than the model (status 0).
CIDUT_API int32_t cidut_RunCorrelate_UInt32(const uint32_t* model, int32_t modelLength,
                                            const uint32_t* signal, int32_t signalLength,
                                            int32_t margin, double* bestOffset, double* bestScore);
CIDUT_API int32_t cf_RunCorrelate_U8(const uint8_t* model, int32_t modelLength,
                                     const uint8_t* signal, int32_t signalLength, int32_t margin,
                                     double* bestOffset, double* bestScore);

// The best shift of the first row of model's window along the first row of image's window
// (8-bit images, no overhang).
CIDUT_API int32_t cidut_ip_correlate8(const cimg_imageConst* model, const cimg_imageConst* image,
                                      double* bestOffset, double* bestScore);

#ifdef __cplusplus
}
#endif
