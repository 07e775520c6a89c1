// The length rule shared by the 1-D correlators and the best-shift search.
#pragma once

#include <stdint.h>

// A model of modelLength samples fits a signal of signalLength samples with an overhang
// of margin samples at either end: both lengths positive, the model no longer than the
// signal, and 0 <= margin < modelLength (some overlap at every shift).
inline bool cidut_correlationLengthsFit(int32_t modelLength, int32_t signalLength, int32_t margin) {
  return modelLength >= 1 && signalLength >= 1 && margin >= 0 && signalLength >= modelLength &&
         margin < modelLength;
}

// The number of shifts, from -margin to signalLength - modelLength + margin.
inline int32_t cidut_correlationShiftCount(int32_t modelLength, int32_t signalLength,
                                           int32_t margin) {
  return signalLength - modelLength + 2 * margin + 1;
}
