// Optimised-variant dispatch. A routine with a processor-tuned variant runs it unless
// the kit's inhibition hook vetoes the routine by name; when the variant reports status
// class 0x30 (not available), the portable implementation runs instead.
#pragma once

#include <stdint.h>

#include "ci_id/priv/ci_idut/frame.h"
#include "kit/std.h"

template <class Optimized, class Portable>
int32_t cidut_dispatchOptimized(const char* routineName, Optimized optimized, Portable portable) {
  const cprt_inhibitionHook inhibited = cprt_isOptimizationInhibitedFP;
  const int32_t status =
      (inhibited && inhibited(routineName)) ? CIDUT_ERR_NOT_AVAILABLE : optimized();
  if (CIDUT_STATUS_CLASS(status) == CIDUT_CLASS_NOT_AVAILABLE) return portable();
  return status;
}
