// `idut edges IMAGE --out OUT.png`: the kit detector's gradient magnitude, the ID edge
// detector's angle codes, the true-peak image or a hysteresis edge map of an image.
#include "edges_command.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "arguments.h"
#include "ci_id/priv/ci_idut/edge.h"
#include "image_file.h"
#include "kit/pel.h"

namespace {

enum class edgeOperator { magnitude, idAngle, peaks, hysteresis };

struct edgesOptions {
  edgeOperator op = edgeOperator::peaks;
  int32_t threshold = 20;
  int32_t low = -1;  // hysteresis; -1: half the threshold
  int32_t mode = CF_EDGE_ID_MODE_2X2;
  std::string out;
  std::string image;
};

struct operatorName {
  const char* name;
  edgeOperator op;
};
const operatorName operatorNames[] = {{"magnitude", edgeOperator::magnitude},
                                      {"id-angle", edgeOperator::idAngle},
                                      {"peaks", edgeOperator::peaks},
                                      {"hysteresis", edgeOperator::hysteresis}};

// The value of one option into *options.
idut_optionResult setEdgesOption(const std::string& name, const std::string& value,
                                 edgesOptions* options) {
  bool good = true;
  if (name == "--out") {
    options->out = value;
  } else if (name == "--operator") {
    good = false;
    for (const operatorName& o : operatorNames) {
      if (value == o.name) {
        options->op = o.op;
        good = true;
      }
    }
  } else if (name == "--threshold") {
    good = idut_parseInt(value, 0, 255, &options->threshold);
  } else if (name == "--low") {
    good = idut_parseInt(value, 0, 255, &options->low);
  } else if (name == "--mode") {
    good = value == "2x2" || value == "3x3";
    options->mode = value == "2x2" ? CF_EDGE_ID_MODE_2X2 : CF_EDGE_ID_MODE_3X3;
  } else {
    return idut_optionResult::unknown;
  }
  return good ? idut_optionResult::taken : idut_optionResult::badValue;
}

// Fills *options from the arguments; on a bad one returns false with the reason in *error.
bool parseEdges(const std::vector<std::string>& args, edgesOptions* options, std::string* error) {
  if (!idut_parseImageAndOptions(
          args, &options->image,
          [&](const std::string& name, const std::string& value) {
            return setEdgesOption(name, value, options);
          },
          error))
    return false;
  if (options->image.empty())
    *error = "no IMAGE given";
  else if (options->out.empty())
    *error = "--out OUT.png is required";
  else if (options->low > options->threshold)
    *error = "--low is above --threshold";
  return error->empty();
}

// Binds image to a cleared 8-bit image over rect.
int32_t makeCleared(cimg_image* image, const cstd_rect32& rect) {
  if (const int32_t status = cimg_image_constructRect(image, CIMG_TYPE_8, &rect); status < 0)
    return status;
  cimg_window window;
  cimg_window_init(&window, image);
  return cip_pelSet8(&window, 0);
}

// Angle codes as hues around the colour wheel (code 0 red, 85 green, 170 blue); 0xFF, no
// edge, black.
idut_rgbPicture anglePicture(const cimg_image* angles) {
  idut_rgbPicture picture = idut_rgbPicture_fromGrey(angles);
  for (size_t p = 0; p < picture.rgb.size(); p += 3) {
    const int32_t code = picture.rgb[p];
    if (code == 0xFF) {
      picture.rgb[p] = picture.rgb[p + 1] = picture.rgb[p + 2] = 0;
      continue;
    }
    const double hue = code * 6.0 / 256.0;
    for (int32_t c = 0; c < 3; ++c) {
      const double d = std::fabs(std::fmod(hue - 2.0 * c + 9.0, 6.0) - 3.0);  // 0 .. 3
      picture.rgb[p + c] = uint8_t(std::lround(255.0 * std::clamp(2.0 - d, 0.0, 1.0)));
    }
  }
  return picture;
}

// The pixels of the image's window that differ from value.
int32_t countOther(const cimg_image* image, uint8_t value) {
  cimg_window window;
  cimg_window_init(&window, image);
  int32_t count = 0;
  for (int32_t r = 0; r < window.height; ++r) {
    const uint8_t* row = cimg_window_row<uint8_t>(&window, r);
    for (int32_t c = 0; c < window.width; ++c) count += row[c] != value;
  }
  return count;
}

// Runs the operator; *picture receives what is to be written, *summary what to print.
int32_t runOperator(const edgesOptions& options, const cimg_image* source, idut_rgbPicture* picture,
                    std::string* summary) {
  const cimg_imageConst* src = cimg_image_asConst(source);
  cstd_rect32 whole;
  cimg_image_getWindow(source, &whole);
  cip_edgeParams params;
  cip_edgeParams_init(&params);
  params.p2 = options.threshold;
  ccGreyImage magnitude, angle, result;
  char text[160];
  int32_t status = 0;
  switch (options.op) {
    case edgeOperator::magnitude: {
      if ((status = makeCleared(magnitude.image(), whole)) < 0 ||
          (status = makeCleared(angle.image(), whole)) < 0)
        return status;
      status = cip_edge_detectMagAng(src, &params, magnitude.image(), angle.image());
      *picture = idut_rgbPicture_fromGrey(magnitude.image());
      std::snprintf(text, sizeof text, "gradient magnitude, %d pixels above 0",
                    countOther(magnitude.image(), 0));
      break;
    }
    case edgeOperator::idAngle: {
      // The 3x3 operator reads one pixel left of and above each output pixel.
      ccGreyImage inner;
      if ((status = cimg_image_assign(inner.image(), source)) < 0) return status;
      if (options.mode != CF_EDGE_ID_MODE_2X2 &&
          (status = cimg_image_window(inner.image(), 1, 1, whole.width - 1, whole.height - 1, 0)) <
              0)
        return status;
      status = cfEdgeDetectIDMagAng(cimg_image_asConst(inner.image()), magnitude.image(),
                                    angle.image(), 1, uint8_t(options.threshold), options.mode);
      if (status < 0) return status;
      *picture = anglePicture(angle.image());
      std::snprintf(text, sizeof text, "ID edge detector %s, %d edge pixels",
                    options.mode == CF_EDGE_ID_MODE_2X2 ? "2x2" : "3x3",
                    countOther(angle.image(), 0xFF));
      break;
    }
    case edgeOperator::peaks: {
      if ((status = makeCleared(result.image(), whole)) < 0) return status;
      int32_t count = 0;
      status = cip_truepeak8(src, result.image(), uint8_t(options.threshold), &count);
      *picture = idut_rgbPicture_fromGrey(result.image());
      std::snprintf(text, sizeof text, "true peaks, %d", count);
      break;
    }
    case edgeOperator::hysteresis: {
      if ((status = makeCleared(magnitude.image(), whole)) < 0 ||
          (status = makeCleared(angle.image(), whole)) < 0 ||
          (status = cip_edge_detectMagAng(src, &params, magnitude.image(), angle.image())) < 0)
        return status;
      const int32_t low = options.low >= 0 ? options.low : options.threshold / 2;
      int32_t count = 0;
      status = cip_edge_hysteresisThreshold(cimg_image_asConst(magnitude.image()), result.image(),
                                            uint8_t(low), uint8_t(options.threshold), &count, -1, 0,
                                            255, 1);
      *picture = idut_rgbPicture_fromGrey(result.image());
      std::snprintf(text, sizeof text, "hysteresis %d..%d, %d edge pixels", low, options.threshold,
                    count);
      break;
    }
  }
  *summary = text;
  return status;
}

}  // namespace

void idut_printEdgesUsage(FILE* out) {
  std::fprintf(
      out,
      "usage: idut edges [options] IMAGE --out OUT.png\n"
      "\n"
      "Runs one edge operator over an 8-bit image and writes its result as a picture.\n"
      "\n"
      "options (defaults in brackets):\n"
      "  --operator OP      magnitude: the Sobel gradient magnitude (a quarter of the\n"
      "                     gradient length, 0 to 255);\n"
      "                     id-angle: the ID edge detector's angle codes as colours around\n"
      "                     the wheel (red along +x, green, blue), black where the gradient\n"
      "                     is below the threshold;\n"
      "                     peaks: the true peaks, gradient maxima across the edge at or\n"
      "                     above the threshold, with their magnitude;\n"
      "                     hysteresis: edges of the magnitude from pixels at or above the\n"
      "                     threshold, grown through pixels at or above --low [peaks]\n"
      "  --threshold T      magnitude threshold, 0 to 255 [20]\n"
      "  --low L            hysteresis: the lower threshold [half of T]\n"
      "  --mode M           id-angle: 2x2 (diagonal differences) or 3x3 (Sobel) [2x2]\n"
      "  --out OUT.png      the picture to write\n");
}

int idut_edgesCommand(const std::vector<std::string>& args) {
  edgesOptions options;
  std::string error;
  if (!parseEdges(args, &options, &error)) {
    std::fprintf(stderr, "idut edges: %s\n(idut edges --help for usage)\n", error.c_str());
    return 2;
  }
  ccGreyImage image;
  if (!idut_readGreyImage(options.image, &image, &error)) {
    std::fprintf(stderr, "idut: %s\n", error.c_str());
    return 1;
  }
  cstd_rect32 window;
  cimg_image_getWindow(image.image(), &window);
  if (window.width < 3 || window.height < 3) {
    std::fprintf(stderr, "idut: %s: smaller than 3 x 3 pixels, no edges to find\n",
                 options.image.c_str());
    return 1;
  }
  idut_rgbPicture picture;
  std::string summary;
  const auto start = std::chrono::steady_clock::now();
  const int32_t status = runOperator(options, image.image(), &picture, &summary);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (status < 0) {
    std::fprintf(stderr, "idut: %s: the edge operator failed with status 0x%08x\n",
                 options.image.c_str(), uint32_t(status));
    return 1;
  }
  if (!idut_writePng(options.out, picture, &error)) {
    std::fprintf(stderr, "idut: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %s, %.1f ms -> %s\n", options.image.c_str(), summary.c_str(), ms,
              options.out.c_str());
  return 0;
}
