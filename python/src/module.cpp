// The compiled part of the Python package idut: the reader and the library's image,
// frequency and error-correction functions over numpy arrays.
#include "functions.h"
#include "status_error.h"

PYBIND11_MODULE(_idut, module) {
  module.doc() =
      "DataMatrix reading and the ID utilities' image operations over numpy arrays (the\n"
      "compiled part of the package idut; import idut).";
  idutpy_addErrors(module);
  idutpy_addSearchFunctions(module);
  idutpy_addImageFunctions(module);
  idutpy_addFrequencyFunctions(module);
  idutpy_addCorrectionFunctions(module);
}
