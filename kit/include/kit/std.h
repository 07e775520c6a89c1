// The kit's standard records: integer rectangles and the optimisation-inhibition hook.
#pragma once

#include <stdint.h>

#include "kit/export.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---------------------------------------------------------------------------------------
// Integer rectangles: the pixels x .. x + width - 1, y .. y + height - 1. A rectangle with
// width or height 0 or less is null (holds no pixel).

typedef struct cstd_rect32 {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
} cstd_rect32;

CKIT_API int32_t cstd_rect32_init(cstd_rect32* r, int32_t x, int32_t y, int32_t width,
                                  int32_t height);
// out = a intersected with b; a null intersection is written as (0, 0, 0, 0). out may alias.
CKIT_API int32_t cstd_rect32_intersect(const cstd_rect32* a, const cstd_rect32* b,
                                       cstd_rect32* out);
// *contains = 1 when every pixel of inner lies in outer (a null inner is contained).
CKIT_API int32_t cstd_rect32_containsRect(const cstd_rect32* outer, const cstd_rect32* inner,
                                          int32_t* contains);
CKIT_API int32_t cstd_rect32_getIsNull(const cstd_rect32* r, int32_t* isNull);

// ---------------------------------------------------------------------------------------
// Optimisation inhibition. When set, routines with a processor-tuned variant call it
// with their own name ("rowExtremaMax", "cf2DFFT_32x32_fixed", ...) and take the
// portable path when it returns non-zero. Null by default; tests set it.

typedef int32_t (*cprt_inhibitionHook)(const char* routineName);
CKIT_API extern cprt_inhibitionHook cprt_isOptimizationInhibitedFP;

#ifdef __cplusplus
}
#endif
