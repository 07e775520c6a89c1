// cidut_divideBufferByConstant32_8: 32-bit values divided by one divisor, kept to their
// low 8 bits. A processor-tuned variant may be asked first; none is available here.
#include "ci_id/priv/ci_idut/prep.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/dispatch.h"

namespace {

int32_t divideBufferOptimized() {
  return CIDUT_ERR_NOT_AVAILABLE;
}

int32_t divideBufferPortable(const uint32_t* source, int32_t n, uint32_t divisor,
                             uint8_t* destination) {
  for (int32_t i = 0; i < n; ++i) destination[i] = uint8_t(source[i] / divisor);
  return 0;
}

}  // namespace

extern "C" int32_t cidut_divideBufferByConstant32_8(const uint32_t* source, int32_t n,
                                                    uint32_t divisor, uint8_t* destination) {
  CIDUT_CHECK(source != nullptr && destination != nullptr);
  CIDUT_CHECK(n >= 0 && divisor != 0);
  return cidut_dispatchOptimized("cidut_divideBufferByConstant32_8", divideBufferOptimized, [&] {
    return divideBufferPortable(source, n, divisor, destination);
  });
}
