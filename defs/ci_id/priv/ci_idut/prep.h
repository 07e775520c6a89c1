// Image preparation: binarization of 8-bit grey images by global, tiled and local
// thresholds; two-class and percentile thresholds, dark/light statistics and sharpness;
// pixel operations, smoothing, sub-sampling and grey-level morphology; fixed-point running
// statistics, one-dimensional k-means clustering and a box average.
//
// Image inputs are the current window of a bound 8-bit handle (an unbound one fails with
// CIDUT_ERR_IMAGE_UNBOUND). Unless noted, an operation builds its output off to the side
// and assigns it to the caller's handle as its last step, so a failing call leaves the
// output handle as it was.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "kit/image.h"
#include "kit/shapes.h"
#include "kit/statistics.h"

// ---------------------------------------------------------------------------------------
// Binarization.

// Thresholding methods of cidut_binarizeParams.method.
enum {
  CIDUT_BINARIZE_GLOBAL_MIDRANGE = 0,  // (min + max) / 2 of the image
  CIDUT_BINARIZE_GLOBAL_WGV = 1,       // within-group-variance (Otsu) threshold
  CIDUT_BINARIZE_TILE_MIDRANGE = 2,    // (min + max) / 2 of each tile
  CIDUT_BINARIZE_TILE_MAX = 3,         // (tile max + global min) / 2, the default
  CIDUT_BINARIZE_LOCAL_MINMAX = 4,     // local range on a reduced image
  CIDUT_BINARIZE_LOCAL_MEAN = 5,       // below the box mean by an offset
};
// Reference of the tile methods (cidut_binarizeParams.regionMode).
enum {
  CIDUT_BINARIZE_REFERENCE_WINDOW = 0,
  CIDUT_BINARIZE_REFERENCE_REGION = 1,
  CIDUT_BINARIZE_REFERENCE_NONE = 2,
};

typedef struct cidut_binarizeParams {
  cmath_shapeAffineRect region;  // symbol region: tile size, and regionMode 1's reference
  int32_t windowX;               // regionMode 0: reference window, relative to the source
  int32_t windowY;               // image's own offset
  int32_t windowWidth;
  int32_t windowHeight;
  double unused1;
  double unused2;
  int32_t method;
  int32_t regionMode;
  uint8_t minTileContrast;    // method 2: flatter tiles get threshold 0
  int32_t tilesX;             // tiles across and down
  int32_t tilesY;
  double tilesPerRegionSide;  // with a region: tile side = region side / this
  double minLocalContrast;    // method 4
  int32_t reduction;          // method 4: smoothing and sub-sampling factor
  uint8_t meanOffset;         // method 5: offset below the box mean
  int32_t boxSize;            // method 5: side of the box
} cidut_binarizeParams;

#ifdef __cplusplus
extern "C" {
#endif

// The defaults: no region, method 3 without reference, 20 x 10 tiles.
CIDUT_API int32_t cidut_binarizeParams_construct(cidut_binarizeParams* params);
CIDUT_API int32_t cidut_binarizeParams_destruct(cidut_binarizeParams* params);
// destination = 255 where the source pixel is above its threshold, 0 elsewhere. An unbound
// destination receives an image of the source's size. contrastMask (may be null) receives,
// with method 4, 255 where the local range reaches the minimum contrast. unused1 and
// unused2 are not read.
CIDUT_API int32_t cidut_binarizeImage(cimg_image* destination, const void* unused1,
                                      const void* unused2, cimg_image* contrastMask,
                                      const cimg_imageConst* source,
                                      const cidut_binarizeParams* params);
// destination[i] = low 8 bits of source[i] / divisor.
CIDUT_API int32_t cidut_divideBufferByConstant32_8(const uint32_t* source, int32_t n,
                                                   uint32_t divisor, uint8_t* destination);

#ifdef __cplusplus
}
#endif

// ---------------------------------------------------------------------------------------
// Thresholds, dark/light statistics and sharpness.

typedef struct cid_thresholdResult {
  int32_t valid;
  double quality;     // separability, 0 .. 1
  int32_t threshold;  // the first grey level of the upper class
} cid_thresholdResult;

#ifdef __cplusplus
extern "C" {
#endif

CIDUT_API int32_t cid_thresholdResult_init(cid_thresholdResult* result);
// Two-class threshold of a histogram of bins levels.
CIDUT_API int32_t cid_thresholdHist(const uint32_t* histogram, int32_t bins,
                                    cid_thresholdResult* result);
// Two-class threshold of the image window's histogram.
CIDUT_API int32_t cid_threshold(const cimg_imageConst* image, cid_thresholdResult* result);
// The first level at which the cumulative histogram of the window reaches fraction of it.
CIDUT_API int32_t cid_thresholdBasedOnPercentage(const cimg_imageConst* image, float fraction,
                                                 cid_thresholdResult* result);
// Mean and deviation of the darkest darkPercent and the lightest lightPercent of a
// histogram.
CIDUT_API int32_t cidut_getDarkLightMeanPercent_(const uint32_t* histogram, int32_t bins,
                                                 int32_t darkPercent, int32_t lightPercent,
                                                 double* darkMean, double* lightMean,
                                                 double* darkDeviation, double* lightDeviation);
// Mean and deviation of the levels 0 .. darkLimit and lightLimit .. bins - 1.
CIDUT_API int32_t cidut_getDarkLightMeanThreshold_(const uint32_t* histogram, int32_t bins,
                                                   int32_t darkLimit, int32_t lightLimit,
                                                   double* darkMean, double* lightMean,
                                                   double* darkDeviation,
                                                   double* lightDeviation);
// The strongest gradients against the dark/light contrast of the image, 0 .. 1; with
// ignoreBlack set, pixels of value 0 are taken as outside the symbol region.
CIDUT_API int32_t cidut_getImageSharpnessFromSymbolRegion_(const cimg_imageConst* image,
                                                           int32_t ignoreBlack,
                                                           double* sharpness);

// ---------------------------------------------------------------------------------------
// Pixel operations.

// Gaussian smoothing through the kit's filter (sizes as given, samplings limited to 0..24).
CIDUT_API int32_t cidut_ip_gauss8(const cimg_imageConst* source, cimg_image* destination,
                                  int32_t xSize, int32_t xSampling, int32_t ySize,
                                  int32_t ySampling);
// The kit's low-pass filter, gain 1 (plpf8) or 256 (plpf8Mask); parameters limited to 0..65.
CIDUT_API int32_t cidut_ip_plpf8(const cimg_imageConst* source, cimg_image* destination,
                                 int32_t xSize, int32_t xParameter, int32_t ySize,
                                 int32_t yParameter);
CIDUT_API int32_t cidut_ip_plpf8Mask(const cimg_imageConst* source, cimg_image* destination,
                                     int32_t xSize, int32_t xParameter, int32_t ySize,
                                     int32_t yParameter);
// Keeps the centre pixel of each xStep x yStep cell.
CIDUT_API int32_t cidut_ip_pelSample(const cimg_imageConst* source, cimg_image* destination,
                                     int32_t xStep, int32_t yStep);
// Replicates each pixel into an xFactor x yFactor block.
CIDUT_API int32_t cidut_ip_pelExpand8(const cimg_imageConst* source, cimg_image* destination,
                                      int32_t xFactor, int32_t yFactor);
// destination = table[source], 256 entries.
CIDUT_API int32_t cip_image8_map(cimg_image* destination, const cimg_imageConst* source,
                                 const uint8_t* table);
CIDUT_API int32_t cidut_ip_pelMinMax8(const cimg_imageConst* source, uint8_t* minimum,
                                      uint8_t* maximum);
// Normalised projection of the rectangle onto its x side (32-bit destination).
CIDUT_API int32_t cidut_ip_project8(const cimg_imageConst* source,
                                    const cmath_shapeAffineRect* rect, int32_t* count,
                                    cimg_image* destination);
// max(0, A - B) and min(255, A + B) over the common window, A elsewhere; flags must be 0.
CIDUT_API int32_t cidut_ip_pelSub8(const cimg_imageConst* a, const cimg_imageConst* b,
                                   cimg_image* destination, int32_t flags);
CIDUT_API int32_t cidut_ip_pelAdd8(const cimg_imageConst* a, const cimg_imageConst* b,
                                   cimg_image* destination, int32_t flags);
// 255 - v in place.
CIDUT_API int32_t cidut_ip_pelInvert8(cimg_image* image);
CIDUT_API int32_t cidut_ip_pelTranspose8(const cimg_imageConst* source, cimg_image* destination);

// Modes of cidut_morph2d_run.
enum {
  CIDUT_MORPH_MAX = 0,      // dilation
  CIDUT_MORPH_MIN = 1,      // erosion
  CIDUT_MORPH_MIN_MAX = 2,  // opening
  CIDUT_MORPH_MAX_MIN = 3,  // closing
};
// Rectangular grey-level morphology with an xSize x ySize box.
CIDUT_API int32_t cidut_morph2d_run(const cimg_imageConst* source, cimg_image* destination,
                                    int32_t mode, int32_t xSize, int32_t ySize);
// Sliding-window maximum / minimum of one row of n samples, centred windows of
// 2 max(1, (k - 1) / 2) + 1 samples cut at the row ends; *comparisons (may be null) counts
// the wedge's drops.
CIDUT_API int32_t rowExtremaMax(int32_t k, const uint8_t* source, uint8_t* destination, int32_t n,
                                int32_t* comparisons);
CIDUT_API int32_t rowExtremaMin(int32_t k, const uint8_t* source, uint8_t* destination, int32_t n,
                                int32_t* comparisons);

#ifdef __cplusplus
}
#endif

// ---------------------------------------------------------------------------------------
// Statistics and clustering.

// Running statistics of fixed-point samples with fracBits fractional bits.
typedef struct cmath_statisticsFixed {
  int32_t n;
  int32_t sum;
  int32_t sumSquares;  // each square scaled down by fracBits, rounded
  int32_t min;
  int32_t max;
  int32_t fracBits;  // -1 until initialised
  int32_t rounding;  // 2^(fracBits - 1)
} cmath_statisticsFixed;

// k-means on doubles: k + 2 initial clusters; a negative tolerance switches its merge test
// off.
typedef struct cidut_clusterKMeansParams {
  int32_t k;
  double relativeTolerance;  // of the larger standard deviation
  double absoluteTolerance;
} cidut_clusterKMeansParams;

// The same on fixed-point values of fracBits fractional bits.
typedef struct cidut_clusterKMeansParamsFixed {
  int32_t k;
  double relativeTolerance;
  double absoluteTolerance;
  int32_t fracBits;
} cidut_clusterKMeansParamsFixed;

#ifdef __cplusplus
extern "C" {
#endif

CIDUT_API int32_t cmath_statisticsFixed_init(cmath_statisticsFixed* s, int32_t fracBits);
CIDUT_API int32_t cmath_statisticsFixed_clear(cmath_statisticsFixed* s);
CIDUT_API int32_t cmath_statisticsFixed_add(cmath_statisticsFixed* s, int32_t x);
CIDUT_API int32_t cmath_statisticsFixed_getMean(const cmath_statisticsFixed* s, int32_t* mean);
CIDUT_API int32_t cmath_statisticsFixed_getVariance(const cmath_statisticsFixed* s,
                                                    int32_t* variance);
CIDUT_API int32_t cmath_statisticsFixed_getStdDev(const cmath_statisticsFixed* s,
                                                  int32_t* deviation);

// labels[i] = the cluster of values[i], clusters ordered by size (largest first) in slots.
CIDUT_API int32_t cidut_clusterKMeans(const cidut_clusterKMeansParams* params,
                                      const double* values, int32_t n, int32_t* labels,
                                      cmath_statistics* slots, int32_t slotCount,
                                      int32_t* clusterCount, int32_t* converged);
CIDUT_API int32_t cidut_clusterKMeans_fixed(const cidut_clusterKMeansParamsFixed* params,
                                            const int32_t* values, int32_t n, int32_t* labels,
                                            cmath_statisticsFixed* slots, int32_t slotCount,
                                            int32_t* clusterCount, int32_t* converged);

// Rounded mean of the boxWidth x boxHeight box whose top-left pixel is (x, y), for every
// box inside the width x height buffer; the columns and rows beyond repeat the last ones.
CIDUT_API int32_t cid_spatialAverage(const uint8_t* source, int32_t width, int32_t height,
                                     int32_t sourceStride, int32_t boxWidth, int32_t boxHeight,
                                     uint8_t* destination, int32_t destinationStride);

#ifdef __cplusplus
}
#endif
