// The kit's grey-level thresholds: the within-group-variance (Otsu) threshold of a histogram
// or of an image window. A threshold t splits the levels into a dark class (below t) and a
// light class (t and above); the chosen t minimises the sum of the two classes' variances
// weighted by their counts, which is the same as maximising the variance between them.
#pragma once

#include <stdint.h>

#include "kit/export.h"
#include "kit/image.h"

#ifdef __cplusplus
extern "C" {
#endif

// Which of several equally good thresholds is taken. Scores are compared exactly, so equal
// means equal: thresholds with no occupied level between them split alike and tie, and
// different splits tie when their between-class variances are the same number. Ties are
// resolved within the first run of consecutive equally good thresholds (the lowest); a
// later run of the same score does not count.
enum {
  CIP_THRESH_TIE_MIDDLE = 0,  // the middle of the run of equal ones (rounded down)
  CIP_THRESH_TIE_LOWEST = 1,
};

typedef struct cip_threshParams {
  int32_t tieRule;  // CIP_THRESH_TIE_
} cip_threshParams;

typedef struct cip_threshResult {
  int32_t threshold;    // the first level of the light class
  int32_t valid;        // 0 when fewer than two levels are occupied (threshold = that level)
  double separability;  // between-class variance / total variance, 0 .. 1 (0 when invalid)
  double darkMean;      // mean level of each class (both the threshold when invalid)
  double lightMean;
} cip_threshResult;

// Defaults: the middle of equally good thresholds.
CKIT_API int32_t cip_threshParams_init(cip_threshParams* params);

// The threshold of a histogram of maxValue + 1 bins, where only the levels low .. high
// (0 <= low <= high <= maxValue) take part: the others are ignored as if empty. An empty
// histogram gives an invalid result with threshold low. Returns 0.
CKIT_API int32_t cip_threshComputeWGVThresholdFromHistogram(const uint32_t* histogram,
                                                            int32_t maxValue, int32_t low,
                                                            int32_t high,
                                                            const cip_threshParams* params,
                                                            cip_threshResult* result);
// The threshold of the 8-bit window of a bound image, over all levels 0 .. 255.
// CIMG_STATUS_UNBOUND for an unbound image.
CKIT_API int32_t cip_threshComputeWGVThresholdFromImage(const cimg_imageConst* image,
                                                        const cip_threshParams* params,
                                                        cip_threshResult* result);

#ifdef __cplusplus
}
#endif
