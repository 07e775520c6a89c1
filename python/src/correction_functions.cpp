// idut.rs_encode and idut.rs_correct: the library's Reed-Solomon codec over GF(2^m) on
// sequences of codewords. A codeword is laid out as the library lays it out: the check
// words first, then the data words.
#include <pybind11/numpy.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "arguments.h"
#include "ci_id/priv/ci_idut/ecc.h"
#include "functions.h"
#include "idread/datamatrix.h"
#include "status_error.h"

namespace py = pybind11;

namespace {

// The code of a call, released on every exit.
class heldCode {
 public:
  heldCode(int32_t bits, int32_t checkWords, int32_t polynomial, int32_t generator,
           const char* what) {
    idutpy_checkRange("bits", bits, 2, 16);
    idutpy_checkRange("n_ecc", checkWords, 1, (1 << bits) - 2);
    idutpy_checkRange("generator", generator, 1, (1 << bits) - 1);
    idutpy_throwOnFailure(
        cid2d_ReedSolomonCode_construct(&code_, bits, checkWords, polynomial, generator), what);
  }
  ~heldCode() { cid2d_ReedSolomonCode_destruct(&code_); }
  heldCode(const heldCode&) = delete;
  heldCode& operator=(const heldCode&) = delete;

  cid2d_ReedSolomonCode* get() { return &code_; }

 private:
  cid2d_ReedSolomonCode code_{};
};

// The words of a 1-D integer array or sequence, each from low to high; TypeError for
// non-integers, ValueError for another shape or a word out of range.
std::vector<int32_t> wordsOf(const py::object& sequence, int32_t low, int32_t high,
                             const char* argument) {
  const py::array words = py::array::ensure(sequence);
  if (!words) throw py::error_already_set();
  if (words.size() > 0 && words.dtype().kind() != 'i' && words.dtype().kind() != 'u')
    throw py::type_error(std::string(argument) + " must hold integers");
  if (words.ndim() != 1) throw py::value_error(std::string(argument) + " must be 1-D");
  const auto values = py::array_t<int64_t, py::array::forcecast>::ensure(words);
  std::vector<int32_t> result;
  for (py::ssize_t i = 0; i < values.size(); ++i) {
    idutpy_checkRange(argument, double(values.at(i)), low, high);
    result.push_back(int32_t(values.at(i)));
  }
  return result;
}

py::array_t<int32_t> rsEncode(const py::object& data, int32_t checkWords, int32_t bits,
                              int32_t polynomial, int32_t generator) {
  heldCode code(bits, checkWords, polynomial, generator, "rs_encode");
  const std::vector<int32_t> words = wordsOf(data, 0, code.get()->N, "data");
  if (words.empty()) throw py::value_error("data is empty");
  std::vector<int32_t> codeword(size_t(checkWords) + words.size());
  std::copy(words.begin(), words.end(), codeword.begin() + checkWords);
  {
    py::gil_scoped_release unlocked;
    idutpy_throwOnFailure(
        cid2d_ReedSolomonCode_GetECCWords(code.get(), words.data(), int32_t(words.size()),
                                          codeword.data(), checkWords),
        "rs_encode");
  }
  return py::array_t<int32_t>(py::ssize_t(codeword.size()), codeword.data());
}

py::tuple rsCorrect(const py::object& received, int32_t checkWords, int32_t bits,
                    int32_t polynomial, int32_t generator) {
  heldCode code(bits, checkWords, polynomial, generator, "rs_correct");
  std::vector<int32_t> words = wordsOf(received, -1, code.get()->N, "codeword");
  if (words.empty()) throw py::value_error("codeword is empty");
  int32_t corrected = 0;
  {
    py::gil_scoped_release unlocked;
    idutpy_throwOnFailure(cid2d_ReedSolomonCode_CorrectErrs(code.get(), words.data(),
                                                            int32_t(words.size()), &corrected),
                          "rs_correct");
  }
  if (corrected < 0) idutpy_throwOnFailure(IDREAD_ERR_UNCORRECTABLE, "rs_correct");
  return py::make_tuple(py::array_t<int32_t>(py::ssize_t(words.size()), words.data()), corrected);
}

}  // namespace

void idutpy_addCorrectionFunctions(py::module_& module) {
  // The field of ECC 200 DataMatrix: GF(256) over x^8 + x^5 + x^3 + x^2 + 1.
  const auto codeArguments = [](auto words) {
    return std::make_tuple(words, py::arg("n_ecc"), py::kw_only(), py::arg("bits") = 8,
                           py::arg("polynomial") = 0x12D, py::arg("generator") = 2);
  };
  std::apply(
      [&](auto... arguments) {
        module.def("rs_encode", &rsEncode,
                   "The Reed-Solomon codeword of the data words: a new int32 array of the\n"
                   "n_ecc check words followed by the data words. The code is over\n"
                   "GF(2^bits) with the field polynomial (its x^bits term included) and the\n"
                   "generator's powers as roots; the defaults are those of DataMatrix.\n"
                   "Words are lowest degree first: a symbol's codewords in printed order,\n"
                   "data then checks, are rs_encode(data[::-1], n_ecc)[::-1].\n"
                   "Data words lie in 0 .. 2^bits - 1; at most 2^bits - 1 - n_ecc of them,\n"
                   "else idut.Error.\n",
                   arguments...);
      },
      codeArguments(py::arg("data")));
  std::apply(
      [&](auto... arguments) {
        module.def("rs_correct", &rsCorrect,
                   "Corrects a received codeword (check words first, as rs_encode lays it\n"
                   "out; -1 marks an erased word): returns (the corrected words as a new\n"
                   "int32 array, the number of words corrected, erasures included). A word\n"
                   "beyond correction raises idut.Error with the reader's status for too many\n"
                   "errors; the code's arguments are those of rs_encode.\n",
                   arguments...);
      },
      codeArguments(py::arg("codeword")));
}
