// idut.fft2 and idut.power_spectrum: the library's radix-2 FFT of a numpy image.
#include "array_image.h"
#include "ci_id/priv/ci_idut/freq.h"
#include "ci_id/priv/ci_idut/image"
#include "functions.h"
#include "status_error.h"

namespace py = pybind11;

namespace {

// The FFT of the image in one of the CF_FFT_* output modes, as the double image it gives.
py::array_t<double> transform(const py::array& image, int32_t mode, int32_t columns, bool shift,
                              const char* what) {
  const idutpy_arrayImage source(image);
  cimg_image bins, shifted;
  const cc_ImageAutoPtr heldBins(&bins, true), heldShifted(&shifted, true);
  {
    py::gil_scoped_release unlocked;
    idutpy_throwOnFailure(cfPelFFT(source.imageConst(), &bins, mode, 0), what);
    if (shift)
      idutpy_throwOnFailure(cfPowerSpectrumShift(cimg_image_asConst(&bins), &shifted), what);
  }
  return idutpy_arrayFromImage<double>(
      shift ? &shifted : &bins, cstd_rect32{0, 0, columns * source.width(), source.height()});
}

py::array fft2(const py::array& image) {
  return transform(image, CF_FFT_COMPLEX, 2, false, "fft2").attr("view")("complex128");
}

py::array powerSpectrum(const py::array& image, bool shift) {
  return transform(image, CF_FFT_POWER, 1, shift, "power_spectrum");
}

}  // namespace

void idutpy_addFrequencyFunctions(py::module_& module) {
  module.def("fft2", &fft2,
             "The 2-D discrete Fourier transform of the image, forward and unnormalised (the\n"
             "DC term is the pixel sum), as numpy.fft.fft2 gives it: a complex128 array of the\n"
             "image's shape. Sides must be powers of two from 2 to 1024, else idut.Error. The\n"
             "twiddle factors are held to six significant digits: bins agree with the exact\n"
             "transform to a few 1e-6 of the pixel sum.\n",
             py::arg("image"));
  module.def("power_spectrum", &powerSpectrum,
             "The power spectrum re^2 + im^2 of fft2(image), a float64 array of the image's\n"
             "shape; with shift, its quadrants swapped so that frequency 0 lies at the centre\n"
             "(numpy.fft.fftshift). Sides as for fft2.\n",
             py::arg("image"), py::kw_only(), py::arg("shift") = false);
}
