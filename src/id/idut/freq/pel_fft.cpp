// FFT images of 8-bit windows: cfPelFFT in double, cfPelFFTBin in fixed point. Both run
// the same steps over their arithmetic.
#include <algorithm>

#include "ci_id/priv/ci_idut/freq.h"
#include "id/idut/frame/check.h"
#include "id/idut/freq/fft_routines.h"
#include "id/idut/freq/freq_images.h"

namespace {

// count bins (interleaved complex) written as the mode asks.
template <class A>
void writeBins(const typename A::value* bins, int32_t count, int32_t mode,
               typename A::value* out) {
  switch (mode) {
    case CF_FFT_COMPLEX:
      std::copy_n(bins, 2 * count, out);
      return;
    case CF_FFT_MAGNITUDE:
      for (int32_t c = 0; c < count; ++c) out[c] = A::magnitude(bins[2 * c], bins[2 * c + 1]);
      return;
    case CF_FFT_POWER:
      for (int32_t c = 0; c < count; ++c) out[c] = A::power(bins[2 * c], bins[2 * c + 1]);
      return;
    default:
      for (int32_t c = 0; c < count; ++c) out[c] = A::logPower(bins[2 * c], bins[2 * c + 1]);
      return;
  }
}

template <class A>
int32_t pelFFT(const cimg_imageConst* input, cimg_image* output, int32_t mode, int32_t rowOnly) {
  using value = typename A::value;
  CIDUT_CHECK(input && output);
  CIDUT_CHECK(mode >= CF_FFT_COMPLEX && mode <= CF_FFT_LOG_POWER);
  CIDUT_CHECK(rowOnly == 0 || rowOnly == 1);
  cimg_windowConst in;
  if (const int32_t status = cidut_freqInputWindow(input, CIMG_TYPE_8, &in); status < 0) {
    return status;
  }
  if (!rowOnly) {
    if (const int32_t status = cidut_fftCheckSide(in.height); status < 0) return status;
  }
  if (const int32_t status = cidut_fftCheckSide(in.width); status < 0) return status;

  const int32_t bins = rowOnly ? in.width / 2 : in.width;
  ccFreqOutput out;
  ccCleanupFrame<2> frame;
  if (frame.failed(out.open(frame, output, A::pixelType, mode == CF_FFT_POWER ? bins : 2 * bins,
                            in.height, in.storage))) {
    return frame.exit();
  }
  if (mode == CF_FFT_MAGNITUDE || mode == CF_FFT_LOG_POWER) out.clearIfNew();

  value* scratch = nullptr;
  if (rowOnly) {
    if (frame.failed(csys_memory_allocFastMem_internal(2 * sizeof(value) * size_t(in.width),
                                                       (void**)&scratch))) {
      return frame.exit();
    }
    frame.holdBlock(&scratch);
    for (int32_t r = 0; r < in.height; ++r) {
      if (frame.failed(cidut_fftRealRow<A>(cimg_windowConst_row<uint8_t>(&in, r), in.width,
                                           scratch))) {
        return frame.exit();
      }
      writeBins<A>(scratch, bins, mode, out.row<value>(r));
    }
  } else if (mode == CF_FFT_COMPLEX) {
    // The output rows are the complex rows: transform in place.
    if (frame.failed(cidut_fft2D<A>(in, out.row<value>(0), out.stride()))) return frame.exit();
  } else {
    const ptrdiff_t stride = 2 * ptrdiff_t{in.width};
    if (frame.failed(csys_memory_allocFastMem_internal(
            sizeof(value) * size_t(stride) * size_t(in.height), (void**)&scratch))) {
      return frame.exit();
    }
    frame.holdBlock(&scratch);
    if (frame.failed(cidut_fft2D<A>(in, scratch, stride))) return frame.exit();
    for (int32_t r = 0; r < in.height; ++r) {
      writeBins<A>(scratch + r * stride, bins, mode, out.row<value>(r));
    }
  }
  frame.failed(out.close(output));
  return frame.exit();
}

}  // namespace

extern "C" int32_t cfPelFFT(const cimg_imageConst* input, cimg_image* output, int32_t mode,
                            int32_t rowOnly) {
  return pelFFT<ccFftDouble>(input, output, mode, rowOnly);
}

extern "C" int32_t cfPelFFTBin(const cimg_imageConst* input, cimg_image* output, int32_t mode,
                               int32_t rowOnly) {
  return pelFFT<ccFftQ12>(input, output, mode, rowOnly);
}
