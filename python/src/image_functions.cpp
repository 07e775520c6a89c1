// idut.binarize, idut.threshold and idut.edges: the library's binarization, two-class
// threshold and statistics, and edge operators over a numpy image, as `idut binarize`,
// `idut threshold` and `idut edges` run them.
#include <pybind11/stl.h>

#include <optional>
#include <string>

#include "arguments.h"
#include "array_image.h"
#include "ci_id/priv/ci_idut/edge.h"
#include "ci_id/priv/ci_idut/image"
#include "ci_id/priv/ci_idut/prep.h"
#include "functions.h"
#include "idread/grey_levels.h"
#include "status_error.h"

namespace py = pybind11;

namespace {

const idutpy_namedValue binarizeMethods[] = {
    {"midrange", CIDUT_BINARIZE_GLOBAL_MIDRANGE},    {"otsu", CIDUT_BINARIZE_GLOBAL_WGV},
    {"tile-midrange", CIDUT_BINARIZE_TILE_MIDRANGE}, {"tile-max", CIDUT_BINARIZE_TILE_MAX},
    {"local-range", CIDUT_BINARIZE_LOCAL_MINMAX},    {"local-mean", CIDUT_BINARIZE_LOCAL_MEAN}};

enum edgeOperator { magnitude, peaks, hysteresis };
const idutpy_namedValue edgeOperators[] = {
    {"magnitude", magnitude}, {"peaks", peaks}, {"hysteresis", hysteresis}};

cstd_rect32 wholeOf(const idutpy_arrayImage& image) {
  return cstd_rect32{0, 0, image.width(), image.height()};
}

py::array binarize(const py::array& image, const std::string& method, int32_t offset, int32_t box) {
  cidut_binarizeParams params;
  cidut_binarizeParams_construct(&params);
  params.method = idutpy_valueOf(binarizeMethods, method, "method");
  idutpy_checkRange("offset", offset, 0, 255);
  idutpy_checkRange("box", box, 1, 128);
  params.meanOffset = uint8_t(offset);
  params.boxSize = box;
  const idutpy_arrayImage source(image);
  cimg_image result;
  const cc_ImageAutoPtr heldResult(&result, true);
  {
    py::gil_scoped_release unlocked;
    idutpy_throwOnFailure(
        cidut_binarizeImage(&result, nullptr, nullptr, nullptr, source.imageConst(), &params),
        "binarize");
  }
  return idutpy_arrayFromImage<uint8_t>(&result, wholeOf(source));
}

py::object threshold(const py::array& image, int32_t percent) {
  idutpy_checkRange("percent", percent, 1, 100);
  const idutpy_arrayImage source(image);
  idread_greyLevels levels;
  {
    py::gil_scoped_release unlocked;
    idutpy_throwOnFailure(idread_measureGreyLevels(source.imageConst(), percent, &levels),
                          "threshold");
  }
  return py::module_::import("idut._results")
      .attr("Threshold")(levels.threshold, levels.separability,
                         py::make_tuple(levels.darkMean, levels.darkDeviation),
                         py::make_tuple(levels.lightMean, levels.lightDeviation), levels.sharpness);
}

py::array edges(const py::array& image, const std::string& operatorName, int32_t threshold,
                std::optional<int32_t> low) {
  const int32_t op = idutpy_valueOf(edgeOperators, operatorName, "operator");
  idutpy_checkRange("threshold", threshold, 0, 255);
  const int32_t lowThreshold = low.value_or(threshold / 2);
  idutpy_checkRange("low", lowThreshold, 0, threshold);
  const idutpy_arrayImage source(image);
  if (source.width() < 3 || source.height() < 3)
    throw py::value_error("edges needs an image of at least 3 x 3 pixels");
  cip_edgeParams params;
  cip_edgeParams_init(&params);
  params.p2 = threshold;
  cimg_image magnitudes, angles, marks;
  const cc_ImageAutoPtr heldMagnitudes(&magnitudes, true), heldAngles(&angles, true),
      heldMarks(&marks, true);
  {
    py::gil_scoped_release unlocked;
    int32_t count = 0;
    if (op != peaks)
      idutpy_throwOnFailure(
          cip_edge_detectMagAng(source.imageConst(), &params, &magnitudes, &angles), "edges");
    if (op == peaks)
      idutpy_throwOnFailure(cip_truepeak8(source.imageConst(), &marks, uint8_t(threshold), &count),
                            "edges");
    if (op == hysteresis)
      idutpy_throwOnFailure(cip_edge_hysteresisThreshold(cimg_image_asConst(&magnitudes), &marks,
                                                         uint8_t(lowThreshold), uint8_t(threshold),
                                                         &count, -1, 0, 255, 1),
                            "edges");
  }
  return idutpy_arrayFromImage<uint8_t>(op == magnitude ? &magnitudes : &marks, wholeOf(source));
}

}  // namespace

void idutpy_addImageFunctions(py::module_& module) {
  cidut_binarizeParams defaults;
  cidut_binarizeParams_construct(&defaults);
  module.def("binarize", &binarize,
             "Black and white: 255 where a pixel lies above its threshold, 0 elsewhere; a new\n"
             "uint8 array of the image's shape.\n\n"
             "method: 'midrange' (the middle of the image's grey range), 'otsu' (its two-class\n"
             "  threshold), 'tile-midrange' (the middle of each tile's range), 'tile-max'\n"
             "  (the middle of each tile's maximum and the image's minimum; 20 x 10 tiles),\n"
             "  'local-range' (local range on a reduced image) or 'local-mean' (below the\n"
             "  local mean by offset).\n"
             "offset: 'local-mean': grey levels below the mean of the box, 0 to 255.\n"
             "box: 'local-mean': side of the averaging box in pixels, 1 to 128.\n",
             py::arg("image"), py::kw_only(),
             py::arg("method") = idutpy_nameOf(binarizeMethods, defaults.method),
             py::arg("offset") = int32_t(defaults.meanOffset), py::arg("box") = defaults.boxSize);
  cidut_binarizeParams_destruct(&defaults);
  module.def("threshold", &threshold,
             "Grey-level statistics of the image: its two-class (Otsu) threshold, the first\n"
             "level of the light class, with its separability (between-class over total\n"
             "variance, 0 to 1); the (mean, deviation) of the darkest and of the lightest\n"
             "percent of the pixels; and the sharpness, the strongest gradients over the\n"
             "dark/light contrast (0 to 1).\n",
             py::arg("image"), py::kw_only(), py::arg("percent") = 10);
  module.def("edges", &edges,
             "An edge operator over the image; a new uint8 array of the image's shape whose\n"
             "one-pixel border, where the 3 x 3 operators do not reach, is 0.\n\n"
             "operator: 'magnitude', the Sobel gradient magnitude (a quarter of the gradient\n"
             "  length, 0 to 255); 'peaks', the gradient maxima across the edge at or above\n"
             "  threshold, with their magnitude, 0 elsewhere; 'hysteresis', 255 on the edges\n"
             "  of the magnitude grown from pixels at or above threshold through pixels at\n"
             "  or above low.\n"
             "threshold: magnitude threshold, 0 to 255.\n"
             "low: 'hysteresis': the lower threshold, half of threshold when None.\n",
             py::arg("image"), py::kw_only(), py::arg("operator") = "magnitude",
             py::arg("threshold") = 20, py::arg("low") = py::none());
}
