// `idut binarize IMAGE --out OUT.png`: one of the six binarization methods over an image,
// optionally tiled after a symbol region; `idut threshold IMAGE...`: the two-class
// threshold, its separability, the dark and light statistics and the sharpness.
#include "prep_commands.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "arguments.h"
#include "batch.h"
#include "ci_id/priv/ci_idut/prep.h"
#include "idread/grey_levels.h"
#include "idread/locate.h"
#include "image_file.h"
#include "json.h"

namespace {

double msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

bool readImage(const std::string& path, ccGreyImage* image, FILE* err) {
  std::string error;
  if (idut_readGreyImage(path, image, &error)) return true;
  std::fprintf(err, "idut: %s\n", error.c_str());
  return false;
}

// ---------------------------------------------------------------------------------------
// binarize

struct binarizeOptions {
  int32_t method = CIDUT_BINARIZE_TILE_MAX;
  std::string region;   // "", "first", or six numbers: Po, Px, Py
  int32_t offset = -1;  // method 5; -1: the default
  int32_t box = -1;
  std::string out;
  std::string image;
};

// The value of one option into *options.
idut_optionResult setBinarizeOption(const std::string& name, const std::string& value,
                                    binarizeOptions* options) {
  cmath_shapeAffineRect corners;
  bool good = true;
  if (name == "--out")
    options->out = value;
  else if (name == "--method")
    good = idut_parseInt(value, 0, 5, &options->method);
  else if (name == "--region")
    good = (options->region = value) == "first" || idut_parseCorners(value, &corners);
  else if (name == "--offset")
    good = idut_parseInt(value, 0, 255, &options->offset);
  else if (name == "--box")
    good = idut_parseInt(value, 1, 128, &options->box);
  else
    return idut_optionResult::unknown;
  return good ? idut_optionResult::taken : idut_optionResult::badValue;
}

bool parseBinarize(const std::vector<std::string>& args, binarizeOptions* options,
                   std::string* error) {
  if (!idut_parseImageAndOptions(
          args, &options->image,
          [&](const std::string& name, const std::string& value) {
            return setBinarizeOption(name, value, options);
          },
          error))
    return false;
  if (options->image.empty())
    *error = "no IMAGE given";
  else if (options->out.empty())
    *error = "--out OUT.png is required";
  return error->empty();
}

// The region of --region: the given corners, or those of the first symbol found.
bool symbolRegion(const binarizeOptions& options, const cimg_image* image,
                  cmath_shapeAffineRect* rect) {
  if (options.region != "first") return idut_parseCorners(options.region, rect);
  std::vector<idread_symbol> symbols;
  if (idread_locateAll(image, idread_locateOptions{}, &symbols) < 0 || symbols.empty()) {
    std::fprintf(stderr, "idut: %s: no symbol found for --region first\n", options.image.c_str());
    return false;
  }
  const cmath_vect* c = symbols[0].corners;  // L corner, x-side end, opposite, y-side end
  *rect = cmath_shapeAffineRect{c[0], c[1], c[3]};
  return true;
}

int32_t countWhite(const cimg_image* image) {
  cimg_window window;
  cimg_window_init(&window, image);
  int32_t white = 0;
  for (int32_t r = 0; r < window.height; ++r) {
    const uint8_t* row = cimg_window_row<uint8_t>(&window, r);
    for (int32_t c = 0; c < window.width; ++c) white += row[c] == 255;
  }
  return white;
}

// ---------------------------------------------------------------------------------------
// threshold

// Prints the threshold figures of one image; false when it could not be read or measured.
bool thresholdOne(const std::string& path, bool json, FILE* out, FILE* err) {
  ccGreyImage image;
  if (!readImage(path, &image, err)) return false;
  idread_greyLevels levels;
  const int32_t status = idread_measureGreyLevels(cimg_image_asConst(image.image()), 10, &levels);
  if (status < 0) {
    std::fprintf(err, "idut: %s: measuring failed with status 0x%08x\n", path.c_str(),
                 uint32_t(status));
    return false;
  }
  if (json) {
    std::fprintf(out,
                 "{\"image\": %s, \"threshold\": %d, \"separability\": %.4f, \"dark\": {\"mean\": "
                 "%.2f, \"deviation\": %.2f}, \"light\": {\"mean\": %.2f, \"deviation\": %.2f}, "
                 "\"sharpness\": %.4f}\n",
                 idut_jsonString(path).c_str(), levels.threshold, levels.separability,
                 levels.darkMean, levels.darkDeviation, levels.lightMean, levels.lightDeviation,
                 levels.sharpness);
  } else {
    std::fprintf(
        out,
        "%s: threshold %d (separability %.3f); darkest 10 %%: %.1f +- %.1f, lightest 10 %%: "
        "%.1f +- %.1f; sharpness %.3f\n",
        path.c_str(), levels.threshold, levels.separability, levels.darkMean,
        levels.darkDeviation, levels.lightMean, levels.lightDeviation, levels.sharpness);
  }
  return true;
}

}  // namespace

void idut_printBinarizeUsage(FILE* out) {
  std::fprintf(
      out,
      "usage: idut binarize [options] IMAGE --out OUT.png\n"
      "\n"
      "Turns an 8-bit image into black and white: 255 where a pixel is above its threshold.\n"
      "\n"
      "options (defaults in brackets):\n"
      "  --method N         0 global mid-range, 1 global Otsu, 2 tile mid-range, 3 tile\n"
      "                     maximum with the global minimum, 4 local range on a reduced\n"
      "                     image, 5 below the local mean by an offset [3]\n"
      "  --region R         a symbol region: 'first' (the first DataMatrix symbol idut locate\n"
      "                     finds) or X,Y,X,Y,X,Y (its corners Po, Px, Py); the tiles of\n"
      "                     methods 2 and 3 become a tenth of its sides and their contrast\n"
      "                     reference the symbol\n"
      "  --offset N         method 5: grey levels below the local mean [10]\n"
      "  --box N            method 5: side of the averaging box, 1 to 128 [15]\n"
      "  --out OUT.png      the picture to write\n");
}

int idut_binarizeCommand(const std::vector<std::string>& args) {
  binarizeOptions options;
  std::string error;
  if (!parseBinarize(args, &options, &error)) {
    std::fprintf(stderr, "idut binarize: %s\n(idut binarize --help for usage)\n", error.c_str());
    return 2;
  }
  ccGreyImage image, result;
  if (!readImage(options.image, &image, stderr)) return 1;
  cidut_binarizeParams params;
  cidut_binarizeParams_construct(&params);
  params.method = options.method;
  if (options.offset >= 0) params.meanOffset = uint8_t(options.offset);
  if (options.box >= 0) params.boxSize = options.box;
  if (!options.region.empty()) {
    if (!symbolRegion(options, image.image(), &params.region)) return 1;
    params.regionMode = CIDUT_BINARIZE_REFERENCE_REGION;
  }
  const auto start = std::chrono::steady_clock::now();
  const int32_t status = cidut_binarizeImage(result.image(), nullptr, nullptr, nullptr,
                                             cimg_image_asConst(image.image()), &params);
  const double ms = msSince(start);
  cidut_binarizeParams_destruct(&params);
  if (status < 0) {
    std::fprintf(stderr, "idut: %s: binarizing failed with status 0x%08x\n", options.image.c_str(),
                 uint32_t(status));
    return 1;
  }
  if (!idut_writePng(options.out, idut_rgbPicture_fromGrey(result.image()), &error)) {
    std::fprintf(stderr, "idut: %s\n", error.c_str());
    return 1;
  }
  cstd_rect32 window;
  cimg_image_getWindow(result.image(), &window);
  const double pixels = double(window.width) * window.height;
  std::printf("%s: method %d, %.1f %% white, %.1f ms -> %s\n", options.image.c_str(),
              options.method, pixels > 0 ? 100.0 * countWhite(result.image()) / pixels : 0.0, ms,
              options.out.c_str());
  return 0;
}

void idut_printThresholdUsage(FILE* out) {
  std::fprintf(
      out,
      "usage: idut threshold [--json] [-j N] IMAGE...\n"
      "\n"
      "Prints, per image, the two-class (Otsu) threshold, the first grey level of the light\n"
      "class, with its separability (between-class over total variance, 0 to 1); the mean\n"
      "and deviation of the darkest and of the lightest 10 %% of the pixels; and the\n"
      "sharpness, the strongest gradients over the dark/light contrast (0 to 1).\n"
      "  --json             one JSON line per image\n"
      "%s",
      idut_batchUsage().c_str());
}

int idut_thresholdCommand(const std::vector<std::string>& args) {
  bool json = false;
  int32_t jobs = 0;
  std::vector<std::string> images;
  std::string error;
  for (size_t i = 0; i < args.size() && error.empty(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--json") {
      json = true;
    } else if (arg == "-j") {
      if (i + 1 == args.size() || !idut_parseJobs(args[++i], &jobs))
        error = std::string("-j takes ") + idut_jobsExpected;
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
    } else {
      images.push_back(arg);
    }
  }
  if (error.empty() && images.empty()) error = "no IMAGE given";
  if (!error.empty() || !idut_expandImages(&images, &error)) {
    std::fprintf(stderr, "idut threshold: %s\n", error.c_str());
    return 2;
  }
  const bool allDone =
      idut_runBatch(images, jobs, [&](int32_t, const std::string& path, FILE* out, FILE* err) {
        return thresholdOne(path, json, out, err);
      });
  return allDone ? 0 : 1;
}
