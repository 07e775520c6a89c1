// The groups of functions of the Python module `idut`, each added by its own file.
#pragma once

#include <pybind11/pybind11.h>

// locate and read: DataMatrix symbols through the reader layer.
void idutpy_addSearchFunctions(pybind11::module_& module);
// binarize, threshold and edges over 8-bit images.
void idutpy_addImageFunctions(pybind11::module_& module);
// fft2 and power_spectrum.
void idutpy_addFrequencyFunctions(pybind11::module_& module);
// rs_encode and rs_correct: Reed-Solomon codes over GF(2^m).
void idutpy_addCorrectionFunctions(pybind11::module_& module);
