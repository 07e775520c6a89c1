// Every frequency-domain call that allocates, through each of its allocation failures.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "spectra.h"
#include "support/failure_sweep.h"
#include "support/held_image.h"

namespace {

// Calls operation into a new destination, which must stay unbound when it fails.
int32_t intoNew(const std::function<int32_t(cimg_image*)>& operation) {
  heldImage out;
  const int32_t status = operation(&out.image);
  EXPECT_EQ(out.bound(), status >= 0);
  return status;
}

TEST(FreqFailureSweep, EveryAllocatingCall) {
  const randomImage in(16, 8, 5);
  const cimg_imageConst* input = in.image.constImage();
  cimg_windowConst window;
  ASSERT_EQ(cimg_windowConst_init(&window, input), 0);
  std::vector<double> bins(256), re(128), im(128), magnitudes(128);
  const heldImage spectrum(CIMG_TYPE_DOUBLE, 16, 8, 3.5);
  const cimg_window into = spectrum.window();

  std::vector<sweepRow> rows = {
      {"cf2DDFT", [&] { return cf2DDFT(in.pixels.data(), 8, 16, re.data(), im.data()); },
       CSYS_STATUS_NO_MEMORY, false, 1},
      {"cf2DPowerSpectrum", [&] {
         return cf2DPowerSpectrum(in.pixels.data(), 16, 8, 16, magnitudes.data(), 16);
       }, CSYS_STATUS_NO_MEMORY, false, 1},
      {"cfPelPowerSpectrum", [&] { return cfPelPowerSpectrum(&window, &into); },
       CSYS_STATUS_NO_MEMORY, false, 1},
      {"cfLimitedPelPowerSpectrum", [&] { return cfLimitedPelPowerSpectrum(&window, 3, 2, &into); },
       CSYS_STATUS_NO_MEMORY, false, 1},
      {"cidut_2dFFTPwrSpec_win8_", [&] {
         return intoNew([&](cimg_image* out) { return cidut_2dFFTPwrSpec_win8_(&window, bins.data(), 256, out); });
       }},
      {"cfPowerSpectrum", [&] { return intoNew([&](cimg_image* out) { return cfPowerSpectrum(input, out); }); }},
      {"cfPowerSpectrumShift", [&] {
         return intoNew([&](cimg_image* out) { return cfPowerSpectrumShift(spectrum.constImage(), out); });
       }},
      {"cfFFTShift", [&] {
         return intoNew([&](cimg_image* out) { return cfFFTShift(spectrum.constImage(), out); });
       }},
      {"cfViewableFFT", [&] {
         return intoNew([&](cimg_image* out) { return cfViewableFFT(spectrum.constImage(), out); });
       }},
  };
  for (int32_t rowOnly = 0; rowOnly <= 1; ++rowOnly) {
    const std::string suffix = rowOnly ? ", row by row" : "";
    rows.push_back({"cfPelFFT" + suffix, [&, rowOnly] {
                      return intoNew([&](cimg_image* out) { return cfPelFFT(input, out, CF_FFT_MAGNITUDE, rowOnly); });
                    }});
    rows.push_back({"cfPelFFTBin" + suffix, [&, rowOnly] {
                      return intoNew([&](cimg_image* out) { return cfPelFFTBin(input, out, CF_FFT_MAGNITUDE, rowOnly); });
                    }});
  }
  sweepFailures(rows);
}

}  // namespace
