// The light caliper: a profile sampled at about one sample per pixel along a segment and
// its edges, with positions in 1/256 pixel of distance from the segment's first point.
#include "ci_id/priv/ci_idut/pitch.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"

extern "C" int32_t cidut_caliperLite(const cimg_windowConst* image, const cmath_vect* first,
                                     const cmath_vect* second, int32_t maxEdges, int32_t threshold,
                                     int32_t adaptive, int32_t* magnitudes, int32_t* positions,
                                     int32_t* count) {
  CIDUT_CHECK(image && first && second && positions && count);
  *count = 0;
  ccCleanupFrame<1> frame;
  int32_t n = 0;
  if (frame.failed(cidut_getPixelCount(first, second, &n))) return frame.exit();
  uint8_t* profile = nullptr;
  if (frame.failed(csys_memory_alloc_internal(size_t(n), (void**)&profile))) return frame.exit();
  frame.holdBlock(&profile);
  uint8_t mean = 0;
  double spacing = 0.0;
  if (!frame.failed(cidut_linePixels(image, first, second, profile, n, &mean, &spacing))) {
    frame.failed(cidut_lineEdgeLoc(profile, n, maxEdges, threshold, adaptive, spacing, magnitudes,
                                   positions, count));
  }
  return frame.exit();
}
