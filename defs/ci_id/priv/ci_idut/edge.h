// Edge analysis of 8-bit grey images: gradient magnitude and angle images and edgelet
// lists through the kit's Sobel edge detector, hysteresis thresholding of magnitude
// images, sparse true-peak images, the table-driven ID edge detector and its small
// histogram.
//
// Image inputs are the current window of a bound 8-bit handle (an unbound one fails with
// CIDUT_ERR_IMAGE_UNBOUND). Angle codes count 256 to a turn: code 0 points along +x, 64
// along +y (rows downward), in the direction from dark to light.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "kit/edge.h"
#include "kit/image.h"
#include "kit/vector.h"

// ---------------------------------------------------------------------------------------
// Edge detection through the kit's detector.

// The detector's three leading parameters: magnitude scale, magnitude threshold, tie rule
// of the suppression (see kit/edge.h).
typedef struct cip_edgeParams {
  double p1;
  double p2;
  double p3;
} cip_edgeParams;

#ifdef __cplusplus
extern "C" {
#endif

// params = the kit's defaults.
CIDUT_API int32_t cip_edgeParams_init(cip_edgeParams* params);

// Magnitude and angle of every pixel of the source window but its one-pixel border, further
// restricted to the windows of bound outputs. An unbound output receives a new image of
// that rectangle, placed at its position; a bound one is written inside it and keeps its
// other pixels. An empty rectangle writes nothing and returns 0.
CIDUT_API int32_t cip_edge_detectMagAng(const cimg_imageConst* source,
                                        const cip_edgeParams* params, cimg_image* magnitude,
                                        cimg_image* angle);
// The edgelets of the source window into out (a copy replaces its content), positions
// relative to the window. The working list holds half an edgelet per pixel; when that does
// not fit in memory the source is detected in 4, then 8, overlapping bands with smaller
// lists.
CIDUT_API int32_t cip_edge_detectEdges(const cimg_imageConst* source, const cip_edgeParams* params,
                                       csEdgeList* out);
// The edgelets appended to the caller's list and their chains, in one detection.
CIDUT_API int32_t cip_edge_detectEdgesChains(const cimg_imageConst* source,
                                             const cip_edgeParams* params, csEdgeList* list,
                                             csEdgeChains* chains);

// ---------------------------------------------------------------------------------------
// Hysteresis thresholding: pixels >= high start edges, pixels >= low connected to them
// join; edge pixels become labelEdge, all others labelBackground (which must lie below
// low). The destination, bound or not, receives the result over source window AND
// destination window; count (may be null) the number of edge pixels. A negative stackSize
// sizes the fill's stack for every pixel of that rectangle. grow = 0 skips the fill.
CIDUT_API int32_t cip_edge_hysteresisThreshold(const cimg_imageConst* source,
                                               cimg_image* destination, uint8_t low,
                                               uint8_t high, int32_t* count, int32_t stackSize,
                                               uint8_t labelBackground, uint8_t labelEdge,
                                               int32_t grow);

// ---------------------------------------------------------------------------------------
// True edge peaks: images of the source window's size and position, 0 except at the
// edgelets of the kit detector (threshold as given), which hold their magnitude; the
// padded variant marks the pixel right of each edgelet too. The XY variant also marks
// where m * dx (x image) and m * dy (y image) reach the threshold: 0x80 at or above it,
// 0xC0 at or below its negative. Outputs are replaced only on success.
CIDUT_API int32_t cf_GetTrueEdgePeakFromEdgelets(const cimg_imageConst* source, cimg_image* peak,
                                                 uint8_t threshold);
CIDUT_API int32_t cf_GetTrueEdgePeakFromEdgelets_noPadding(const cimg_imageConst* source,
                                                           cimg_image* peak, uint8_t threshold);
CIDUT_API int32_t cf_GetTrueEdgePeakXYFromEdgelets(const cimg_imageConst* source, cimg_image* peak,
                                                   cimg_image* xImage, cimg_image* yImage,
                                                   uint8_t threshold);

// The true-peak image over the source window narrowed by one column on each side (and the
// destination window when bound): gradient maxima across the edge at or above the
// threshold keep their magnitude, the rest is 0; count receives the number of peaks. A
// window less than three columns wide (or one that misses the destination's) leaves
// nothing to do: status 0, and neither the destination nor count is written.
CIDUT_API int32_t cip_truepeak8(const cimg_imageConst* source, cimg_image* destination,
                                uint8_t threshold, int32_t* count);

// ---------------------------------------------------------------------------------------
// The ID edge detector. A gradient pair (a, b) of signed bytes per pixel, looked up in a
// 64K table that gives its angle code, or 0xFF where the magnitude 2 sqrt(a^2 + b^2) is
// below the table's threshold.
//   mode 2 (2x2): a = (P[p+1] - P[p+s]) >> 1, b = (P[p+s+1] - P[p]) >> 1 (diagonals);
//   any other mode (3x3): the Sobel x and y responses >> 3; its codes are the table's + 32.

// Sizes of the tables.
enum {
  CF_EDGE_ID_BASE_TABLE_SIZE = 0x20000,       // magnitude and angle of every pair
  CF_EDGE_ID_THRESHOLD_TABLE_SIZE = 0x10010,  // 16 header bytes, then one code per pair
};
// Mode value of the 2x2 operator.
enum { CF_EDGE_ID_MODE_2X2 = 2, CF_EDGE_ID_MODE_3X3 = 3 };

// Builds the process-wide base tables now (they are otherwise built at first use).
CIDUT_API int32_t cfEdgeDetectID_install(void);
// Makes table the threshold table for t, unless it already is (byte 0 = t). builder 0: the
// dispatched (accelerated or portable) builder; 1: the word-wise builder. Same bytes.
CIDUT_API int32_t cf_EdgeDetectIDTableInit(cstd_vector8* table, uint8_t threshold,
                                           int32_t builder);
// Angle codes (0xFF: no edge) of a width x height region into out. The 2x2 mode reads one
// row and column beyond the region, the 3x3 mode one on every side. guard set keeps the
// accelerated path off the last row. blockWidth and counts: counts[j] += the non-edge
// pixels of column block j (width blockWidth) of every row; counts may be null.
CIDUT_API int32_t cf_EdgeDetectID(const uint8_t* source, int32_t sourceStride, uint8_t* out,
                                  int32_t width, int32_t height, int32_t outStride,
                                  const uint8_t* table, int32_t tableSize, uint8_t unused,
                                  int32_t guard, int32_t accelerate, int32_t mode);
CIDUT_API int32_t cf_EdgeDetectIDCount(const uint8_t* source, int32_t sourceStride, uint8_t* out,
                                       int32_t width, int32_t height, int32_t outStride,
                                       const uint8_t* table, int32_t tableSize, uint8_t unused,
                                       int32_t blockWidth, int32_t* counts, int32_t guard,
                                       int32_t accelerate, int32_t mode);
// Magnitude and angle images of the ID operator over the source window less its last
// column and row (and the bound outputs' windows). variant 0: every pixel's code; variant
// non-zero: 0xFF where the magnitude is below threshold. Outputs carry the source's
// client-from-image transform shifted by half a pixel (mode other than 1), so that a 2x2
// output pixel sits at the centre of its four source pixels.
CIDUT_API int32_t cfEdgeDetectIDMagAng(const cimg_imageConst* source, cimg_image* magnitude,
                                       cimg_image* angle, int32_t variant, uint8_t threshold,
                                       int32_t mode);

// histogram[v] += the number of pixels of value v in the width x height region (rows
// stride bytes apart). The histogram is not cleared.
CIDUT_API int32_t cfPelHistogramSmall(const uint8_t* first, int32_t width, int32_t height,
                                      int32_t stride, uint32_t* histogram);

#ifdef __cplusplus
}
#endif
