// The fixed-point copy of a symbol region (24.8, 1/256 pixel) and the scan lines that
// sample it band by band.
#include "ci_id/priv/ci_idut/geometry.h"
#include "id/idut/frame/check.h"

namespace {

// Nearest 1/256 pixel, halves upwards; the cast truncates toward zero.
int32_t toFixed(double v) {
  return v >= 0.0 ? static_cast<int32_t>(v * 256.0 + 0.5)
                  : static_cast<int32_t>(v * 256.0 - 0.4999999999);
}

}  // namespace

extern "C" int32_t cid_fixedRegion_initRegion(cid_fixedRegion* fixed, const cid_region* region) {
  const cid_region& r = *region;
  *fixed = cid_fixedRegion{toFixed(r.Po.x),   toFixed(r.Po.y),   toFixed(r.Px.x),
                           toFixed(r.Px.y),   toFixed(r.Py.x),   toFixed(r.Py.y),
                           toFixed(r.Popp.x), toFixed(r.Popp.y), r.affine};
  return 0;
}

extern "C" int32_t cid_fixedRegion_sampleScans(const cid_fixedRegion* fixed, int32_t n,
                                               int32_t starts[4], int32_t steps[4]) {
  CIDUT_CHECK(n >= 1);
  // Half a band along each Y side; the first scan lies half a band in, the next ones a
  // whole band apart.
  const int32_t d = 2 * n;
  const int32_t a = (fixed->PyX - fixed->PoX) / d;
  const int32_t b = (fixed->PyY - fixed->PoY) / d;
  const int32_t c = (fixed->PoppX - fixed->PxX) / d;
  const int32_t e = (fixed->PoppY - fixed->PxY) / d;
  starts[0] = fixed->PoX + a;
  starts[1] = fixed->PoY + b;
  starts[2] = fixed->PxX + c;
  starts[3] = fixed->PxY + e;
  steps[0] = 2 * a;
  steps[1] = 2 * b;
  steps[2] = 2 * c;
  steps[3] = 2 * e;
  return 0;
}
