// idut.locate and idut.read: the reader layer's find-all loop and DataMatrix reading over
// a numpy image, with the search options of `idut locate` as keyword arguments. The
// results are the plain records of idut._results.
#include <pybind11/stl.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "arguments.h"
#include "array_image.h"
#include "functions.h"
#include "idread/read.h"
#include "status_error.h"

namespace py = pybind11;

namespace {

void setShape(const py::object& shape, idread_locateOptions* options) {
  if (py::isinstance<py::str>(shape)) {
    const std::string name = shape.cast<std::string>();
    if (!idread_setShapeByName(name, options))
      throw py::value_error("shape must be one of any, square, rectangular, not '" + name + "'");
    return;
  }
  std::pair<int32_t, int32_t> counts;
  try {
    counts = shape.cast<std::pair<int32_t, int32_t>>();
  } catch (const py::cast_error&) {
    throw py::type_error("shape must be 'any', 'square', 'rectangular' or (rows, columns)");
  }
  if (!idread_setShapeBySize(counts.first, counts.second, options))
    throw py::value_error("shape (" + std::to_string(counts.first) + ", " +
                          std::to_string(counts.second) + ") is not a DataMatrix size");
}

idread_locateOptions locateOptions(int32_t rowSpacing, double minSize, double maxSize,
                                   const py::object& shape, const std::string& fit,
                                   const std::string& polarity, int32_t minScore,
                                   const std::vector<std::string>& passes, bool borderTouch) {
  idread_locateOptions options;
  idutpy_checkRange("row_spacing", rowSpacing, 1, 1000);
  if (!(minSize > 0)) throw py::value_error("min_size must be positive");
  idutpy_checkRange("max_size", maxSize, minSize, HUGE_VAL);
  idutpy_checkRange("min_score", minScore, 0, 1000);
  options.rowSpacing = rowSpacing;
  options.minSize = minSize;
  options.maxSize = maxSize;
  setShape(shape, &options);
  if (!idread_setFitByName(fit, &options))
    throw py::value_error("fit must be one of strict, relaxed, extra-relaxed, not '" + fit + "'");
  if (!idread_polarity_fromName(polarity, &options.polarity))
    throw py::value_error("polarity must be one of dark, light, any, not '" + polarity + "'");
  options.minScore = minScore;
  options.passes.clear();
  for (const std::string& name : passes) {
    idread_pass pass;
    if (!idread_pass_fromName(name, &pass))
      throw py::value_error("passes: '" + name + "' is not rows, low-contrast or adaptive");
    options.passes.push_back(pass);
  }
  if (options.passes.empty()) throw py::value_error("passes is empty");
  options.allowBorderTouch = borderTouch;
  return options;
}

py::tuple corners(const idread_symbol& symbol) {
  py::tuple points(4);
  for (size_t k = 0; k < 4; ++k)
    points[k] = py::make_tuple(symbol.corners[k].x, symbol.corners[k].y);
  return points;
}

py::list locateSymbols(const py::array& image, int32_t rowSpacing, double minSize, double maxSize,
                       const py::object& shape, const std::string& fit, const std::string& polarity,
                       int32_t minScore, const std::vector<std::string>& passes, bool borderTouch) {
  const idread_locateOptions options = locateOptions(rowSpacing, minSize, maxSize, shape, fit,
                                                     polarity, minScore, passes, borderTouch);
  const idutpy_arrayImage source(image);
  std::vector<idread_symbol> symbols;
  {
    py::gil_scoped_release unlocked;
    idutpy_throwOnFailure(idread_locateAll(source.image(), options, &symbols), "locate");
  }
  const py::object symbolType = py::module_::import("idut._results").attr("Symbol");
  py::list found;
  for (const idread_symbol& s : symbols)
    found.append(symbolType(corners(s), py::make_tuple(s.rows, s.cols), s.score, s.pitch));
  return found;
}

// The calling thread's reader, made at its first read and released when the thread ends:
// a reader serves one thread at a time and keeps its decoding tables from read to read.
idread_reader* threadReader() {
  struct heldReader {
    idread_reader* reader = nullptr;
    ~heldReader() { idread_reader_release(&reader); }
  };
  thread_local heldReader held;
  if (!held.reader) idutpy_throwOnFailure(idread_reader_create(&held.reader), "read");
  return held.reader;
}

py::list readSymbols(const py::array& image, int32_t rowSpacing, double minSize, double maxSize,
                     const py::object& shape, const std::string& fit, const std::string& polarity,
                     int32_t minScore, const std::vector<std::string>& passes, bool borderTouch,
                     int32_t sizeSlack) {
  idread_readOptions options;
  options.locate = locateOptions(rowSpacing, minSize, maxSize, shape, fit, polarity, minScore,
                                 passes, borderTouch);
  idutpy_checkRange("size_slack", sizeSlack, 0, 144);
  options.sizeSlack = sizeSlack;
  const idutpy_arrayImage source(image);
  std::vector<idread_reading> readings;
  {
    py::gil_scoped_release unlocked;
    idutpy_throwOnFailure(idread_readAll(threadReader(), source.image(), options, &readings),
                          "read");
  }
  const py::object readingType = py::module_::import("idut._results").attr("Reading");
  py::list found;
  for (const idread_reading& r : readings) {
    const py::object text = r.read ? py::object(py::bytes(r.text)) : py::object(py::none());
    const py::tuple size =
        r.read ? py::make_tuple(r.rows, r.columns) : py::make_tuple(r.symbol.rows, r.symbol.cols);
    found.append(
        readingType(corners(r.symbol), size, text, r.symbol.score, r.status, r.correctedErrors));
  }
  return found;
}

// The image and the search options, shared by locate and read; the defaults are the
// reader layer's.
auto searchArguments() {
  const idread_locateOptions d;
  std::vector<std::string> passes;
  for (const idread_pass pass : d.passes) passes.push_back(idread_pass_name(pass));
  return std::make_tuple(py::arg("image"), py::kw_only(), py::arg("row_spacing") = d.rowSpacing,
                         py::arg("min_size") = d.minSize, py::arg("max_size") = d.maxSize,
                         py::arg("shape") = "any",
                         py::arg("fit") = idread_fit_name(d),
                         py::arg("polarity") = idread_polarity_name(d.polarity),
                         py::arg("min_score") = d.minScore, py::arg("passes") = passes,
                         py::arg("border_touch") = bool(d.allowBorderTouch));
}

// The part of the docstrings of locate and read on the image and the search options.
const char* const searchOptionsDoc =
    "image: 2-D uint8 array (rows, columns); used in place when its rows are laid out as\n"
    "  the library's own (C order, width a multiple of 16), else copied once.\n"
    "row_spacing: pixels between scan rows.\n"
    "min_size, max_size: symbol sides in pixels.\n"
    "shape: 'any', 'square', 'rectangular' or (rows, columns) in modules.\n"
    "fit: 'strict' (L corners 77 to 103 degrees), 'relaxed' (70 to 110, and the corner\n"
    "  opposite the L searched) or 'extra-relaxed' (60 to 120 with shape 'any').\n"
    "polarity: 'dark' (on light), 'light' (on dark) or 'any'.\n"
    "min_score: finds scoring below it (0 to 1000) are dropped.\n"
    "passes: the search passes in order: 'rows', 'low-contrast', 'adaptive'.\n"
    "border_touch: accept symbols cut by the image border.\n"
    "\n"
    "Corners are in pixels, pixel (x, y) covering [x, x+1) x [y, y+1), in perimeter order:\n"
    "the corner of the finder L, the end of its x side, the opposite corner, the end of\n"
    "its y side. Raises TypeError or ValueError for a bad image or option, idut.Error when\n"
    "the library fails. The GIL is released during the search.\n";

}  // namespace

void idutpy_addSearchFunctions(py::module_& module) {
  static const std::string locateDoc =
      "Finds the DataMatrix symbols of the image, in the order the search meets them: each\n"
      "with its corners, its module grid (rows, columns) measured on the clock tracks, its\n"
      "score (0 to 1000) and its module pitch in pixels.\n\n" +
      std::string(searchOptionsDoc);
  static const std::string readDoc =
      "Locates the DataMatrix symbols of the image and decodes each: one Reading per symbol\n"
      "found, in the order of locate. A symbol that decodes has its data bytes in .text\n"
      "(macros expanded, GS1 separators as 0x1D) and its size as decoded; one that does not\n"
      "has .text None and the decoder's status in .status.\n\n" +
      std::string(searchOptionsDoc) +
      "size_slack: when the measured size does not decode, the sizes within this many\n"
      "  modules of it are tried.\n";
  std::apply(
      [&](auto... arguments) {
        module.def("locate", &locateSymbols, locateDoc.c_str(), arguments...);
        module.def("read", &readSymbols, readDoc.c_str(), arguments...,
                   py::arg("size_slack") = idread_readOptions{}.sizeSlack);
      },
      searchArguments());
}
