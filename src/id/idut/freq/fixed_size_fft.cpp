// The fixed-size fixed-point FFT entry points. They exist only as processor-tuned
// variants, none of which is available here, and have no portable code: the dispatch
// reports "not available" on either path.
#include "ci_id/priv/ci_idut/freq.h"
#include "id/idut/freq/fft_routines.h"

namespace {

int32_t unavailable(const char* routineName) {
  return cidut_dispatchOptimized(routineName, cidut_fftNoVariant, cidut_fftNoVariant);
}

}  // namespace

extern "C" int32_t cf2DFFT_32x32_fixed(const int32_t*, int32_t*, int32_t) {
  return unavailable("cf2DFFT_32x32_fixed");
}

extern "C" int32_t cf2DIFFT_32x32_fixed(const int32_t*, int32_t*, int32_t) {
  return unavailable("cf2DIFFT_32x32_fixed");
}

extern "C" int32_t cf2DFFT_16x16_fixed(const int32_t*, int32_t*, int32_t) {
  return unavailable("cf2DFFT_16x16_fixed");
}

extern "C" int32_t cf2DIFFT_16x16_fixed(const int32_t*, int32_t*, int32_t) {
  return unavailable("cf2DIFFT_16x16_fixed");
}
