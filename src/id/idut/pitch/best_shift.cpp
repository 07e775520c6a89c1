// The best shift of a 1-D model along a signal: the first shift with the highest positive
// correlation score, refined between shifts from the scores of its neighbours.
#include "ci_id/priv/ci_idut/pitch.h"
#include "id/idut/frame/check.h"
#include "id/idut/frame/cleanup_frame.h"
#include "id/idut/pitch/correlation_lengths.h"

namespace {

template <class Sample>
using ccCorrelator = int32_t (*)(const Sample*, int32_t, const Sample*, int32_t, int32_t, double*);

// Correlates at every shift and picks the best; the outputs are already 0.0.
template <class Sample>
int32_t findBestShift(ccCorrelator<Sample> correlator, const Sample* model, int32_t modelLength,
                      const Sample* signal, int32_t signalLength, int32_t margin,
                      double* bestOffset, double* bestScore) {
  if (!cidut_correlationLengthsFit(modelLength, signalLength, margin)) return CIDUT_ERR_BAD_LENGTH;
  const int32_t shifts = cidut_correlationShiftCount(modelLength, signalLength, margin);
  ccCleanupFrame<1> frame;
  double* scores = nullptr;
  if (frame.failed(
          csys_memory_allocFastMem_internal(sizeof(double) * size_t(shifts), (void**)&scores))) {
    return frame.exit();
  }
  frame.holdBlock(&scores);
  if (frame.failed(correlator(model, modelLength, signal, signalLength, margin, scores))) {
    return frame.exit();
  }

  int32_t best = -1;
  double score = 0.0;
  for (int32_t k = 0; k < shifts; ++k) {
    if (scores[k] > score) {
      score = scores[k];
      best = k;
    }
  }
  if (best < 0) return frame.exit();
  double delta = 0.0;
  if (best > 0 && best < shifts - 1) {
    // (r - l) / (2c - l - r): twice the vertex offset of the parabola through the three
    // scores, which is what the search has always applied.
    const double left = scores[best - 1], right = scores[best + 1];
    const double curvature = 2.0 * score - left - right;
    if (left <= score && right < score && curvature > 0.0001) delta = (right - left) / curvature;
  }
  *bestOffset = best + delta - margin;
  *bestScore = score;
  return frame.exit();
}

}  // namespace

extern "C" int32_t cidut_RunCorrelate_UInt32(const uint32_t* model, int32_t modelLength,
                                             const uint32_t* signal, int32_t signalLength,
                                             int32_t margin, double* bestOffset,
                                             double* bestScore) {
  CIDUT_CHECK(model && signal && bestOffset && bestScore);
  *bestOffset = 0.0;
  *bestScore = 0.0;
  if (signalLength < modelLength || margin >= modelLength) return 0;
  return findBestShift<uint32_t>(cf_correlate1D_U32, model, modelLength, signal, signalLength,
                                 margin, bestOffset, bestScore);
}

extern "C" int32_t cf_RunCorrelate_U8(const uint8_t* model, int32_t modelLength,
                                      const uint8_t* signal, int32_t signalLength, int32_t margin,
                                      double* bestOffset, double* bestScore) {
  CIDUT_CHECK(model && signal && bestOffset && bestScore);
  *bestOffset = 0.0;
  *bestScore = 0.0;
  if (signalLength < modelLength) return 0;
  return findBestShift<uint8_t>(cf_correlate1D_U8, model, modelLength, signal, signalLength, margin,
                                bestOffset, bestScore);
}

extern "C" int32_t cidut_ip_correlate8(const cimg_imageConst* model, const cimg_imageConst* image,
                                       double* bestOffset, double* bestScore) {
  CIDUT_CHECK(model && image && bestOffset && bestScore);
  cimg_windowConst modelWindow, imageWindow;
  if (const int32_t status = cimg_windowConst_init(&modelWindow, model); status < 0) {
    return status;
  }
  if (const int32_t status = cimg_windowConst_init(&imageWindow, image); status < 0) {
    return status;
  }
  CIDUT_CHECK(modelWindow.pixelType == CIMG_TYPE_8 && imageWindow.pixelType == CIMG_TYPE_8);
  return cf_RunCorrelate_U8(static_cast<const uint8_t*>(modelWindow.pixels), modelWindow.width,
                            static_cast<const uint8_t*>(imageWindow.pixels), imageWindow.width, 0,
                            bestOffset, bestScore);
}
