// The optimisation-inhibition hook (a variable the application or a test may set).
#include "kit/std.h"

extern "C" {
cprt_inhibitionHook cprt_isOptimizationInhibitedFP = nullptr;
}
