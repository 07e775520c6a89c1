// `idut barcode IMAGE...`: the library's one-barcode finder and barcode-likeness test.
#include "barcode_command.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "arguments.h"
#include "batch.h"
#include "ci_id/priv/ci_idut/locate2d.h"
#include "idread/locate.h"
#include "image_file.h"
#include "json.h"
#include "overlay.h"

namespace {

struct barcodeOptions {
  bool json = false;
  bool withRegion = false;
  cmath_shapeAffineRect region{};  // Po, Px, Py of --region
  std::string overlay;
  std::vector<std::string> images;  // folders expanded
  int32_t jobs = 0;                 // -j; 0: one thread per core
};

// What was measured on one image.
struct barcodeFinding {
  idread_barcode barcode;
  int32_t isLike = 0;
  cid_region aligned{};
  double ms = 0.0;
};

// The four corners of an affine rectangle in perimeter order.
void rectCorners(const cmath_shapeAffineRect& rect, cmath_vect corners[4]) {
  corners[0] = rect.po;
  corners[1] = rect.px;
  corners[2] = cmath_vect{rect.px.x + rect.py.x - rect.po.x, rect.px.y + rect.py.y - rect.po.y};
  corners[3] = rect.py;
}

void regionCorners(const cid_region& region, cmath_vect corners[4]) {
  corners[0] = region.Po;
  corners[1] = region.Px;
  corners[2] = region.Popp;
  corners[3] = region.Py;
}

bool parseBarcode(const std::vector<std::string>& args, barcodeOptions* options,
                  std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--json") {
      options->json = true;
    } else if (arg == "--region" || arg == "--overlay" || arg == "-j") {
      if (i + 1 == args.size()) {
        *error = arg + " needs a value";
        return false;
      }
      const std::string& value = args[++i];
      if (arg == "--overlay") {
        options->overlay = value;
      } else if (arg == "-j") {
        if (!idut_parseJobs(value, &options->jobs)) {
          *error = "bad value '" + value + "' for -j: " + idut_jobsExpected;
          return false;
        }
      } else if (!(options->withRegion = idut_parseCorners(value, &options->region))) {
        *error = "bad value '" + value + "' for --region: X,Y,X,Y,X,Y (Po, Px, Py)";
        return false;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      *error = "unknown option " + arg;
      return false;
    } else {
      options->images.push_back(arg);
    }
  }
  if (options->images.empty())
    *error = "no IMAGE given";
  else if (!idut_expandImages(&options->images, error))
    return false;
  else if (!options->overlay.empty() && options->images.size() != 1)
    *error = "--overlay takes exactly one IMAGE";
  return error->empty();
}

int32_t measure(const cimg_image* image, const barcodeOptions& options, barcodeFinding* finding) {
  const auto start = std::chrono::steady_clock::now();
  if (const int32_t status = idread_findBarcode(image, &finding->barcode); status < 0)
    return status;
  if (options.withRegion) {
    cid_region region;
    if (const int32_t status = cid_region_initAffineRect(&region, &options.region, nullptr);
        status < 0)
      return status;
    if (const int32_t status = cid2d_getIsCandidateBarcodeLike(
            cimg_image_asConst(image), &region, &finding->isLike, &finding->aligned);
        status < 0)
      return status;
  }
  finding->ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
  return 0;
}

void printCorners(FILE* out, const cmath_vect corners[4], bool json) {
  for (int32_t k = 0; k < 4; ++k) {
    if (json)
      std::fprintf(out, "%s[%.3f, %.3f]", k ? ", " : "", corners[k].x, corners[k].y);
    else
      std::fprintf(out, " (%.1f, %.1f)", corners[k].x, corners[k].y);
  }
}

void printFinding(FILE* out, const std::string& path, const barcodeOptions& options,
                  const barcodeFinding& f) {
  cmath_vect corners[4];
  if (options.json) {
    std::fprintf(out, "{\"image\": %s, \"ms\": %.3f, \"found\": %d", idut_jsonString(path).c_str(),
                 f.ms, f.barcode.found);
    if (f.barcode.found) {
      rectCorners(f.barcode.rect, corners);
      std::fprintf(out, ", \"barAngle\": %.3f, \"corners\": [", f.barcode.barAngle);
      printCorners(out, corners, true);
      std::fprintf(out, "]");
    }
    if (options.withRegion) {
      regionCorners(f.aligned, corners);
      std::fprintf(out, ", \"region\": {\"barLike\": %d, \"aligned\": [", f.isLike);
      printCorners(out, corners, true);
      std::fprintf(out, "]}");
    }
    std::fprintf(out, "}\n");
    return;
  }
  std::fprintf(out, "%s: ", path.c_str());
  if (f.barcode.found) {
    rectCorners(f.barcode.rect, corners);
    std::fprintf(out, "bars at %.1f degrees, rectangle", f.barcode.barAngle);
    printCorners(out, corners, false);
  } else {
    std::fprintf(out, "no bar direction measured");
  }
  std::fprintf(out, ", %.2f ms\n", f.ms);
  if (options.withRegion) {
    std::fprintf(out, "  region: %s",
                 f.isLike ? "bar-like, turned onto the bars:" : "not bar-like");
    if (f.isLike) {
      regionCorners(f.aligned, corners);
      printCorners(out, corners, false);
    }
    std::fprintf(out, "\n");
  }
}

bool drawOverlay(const cimg_image* image, const barcodeOptions& options, const barcodeFinding& f,
                 std::string* error) {
  idut_rgbPicture picture = idut_rgbPicture_fromGrey(image);
  cmath_vect corners[4];
  if (f.barcode.found) {
    rectCorners(f.barcode.rect, corners);
    idut_drawQuadrilateral(&picture, corners);
    // A line along the bars through the rectangle's centre.
    const double angle = f.barcode.barAngle * M_PI / 180.0;
    const cmath_vect centre{(corners[0].x + corners[2].x) / 2, (corners[0].y + corners[2].y) / 2};
    const cmath_vect along{50 * std::cos(angle), 50 * std::sin(angle)};
    idut_drawMarker(&picture, {centre.x - along.x, centre.y - along.y},
                    {centre.x + along.x, centre.y + along.y});
  }
  if (f.isLike) {
    regionCorners(f.aligned, corners);
    idut_drawQuadrilateral(&picture, corners);
  }
  return idut_writePng(options.overlay, picture, error);
}

bool barcodeOne(const barcodeOptions& options, const std::string& path, FILE* out, FILE* err) {
  ccGreyImage image;
  std::string error;
  if (!idut_readGreyImage(path, &image, &error)) {
    std::fprintf(err, "idut: %s\n", error.c_str());
    return false;
  }
  barcodeFinding finding;
  if (const int32_t status = measure(image.image(), options, &finding); status < 0) {
    std::fprintf(err, "idut: %s: the barcode search failed with status 0x%08x\n", path.c_str(),
                 uint32_t(status));
    return false;
  }
  printFinding(out, path, options, finding);
  if (!options.overlay.empty() && !drawOverlay(image.image(), options, finding, &error)) {
    std::fprintf(err, "idut: %s\n", error.c_str());
    return false;
  }
  return true;
}

}  // namespace

void idut_printBarcodeUsage(FILE* out) {
  std::fprintf(
      out,
      "usage: idut barcode [options] IMAGE...\n"
      "\n"
      "Measures the direction of the bars of a linear barcode that crosses the middle of\n"
      "each image (8-bit PGM or PNG): the bars crossed by a scan line through a 100 x 50\n"
      "pixel window at the image's centre are tracked as contours, and the median slope of\n"
      "their longest straight sides is the direction (bars near the scan line's direction\n"
      "are measured on the transposed image). Reports the angle of the bars (degrees\n"
      "from the x axis, clockwise on screen, 0 to 180) and the finder's rectangle across\n"
      "the bars through their middle: as long as the image is wide, 100 pixels high.\n"
      "\n"
      "options:\n"
      "  --region X,Y,X,Y,X,Y  also run the library's likeness test on the region with\n"
      "                     corners Po, Px, Py: bar-like when the bars, measured in a\n"
      "                     100 x 100 window at the region's centre, run within 18 degrees\n"
      "                     of its y axis (Po to Py); print it turned about its centre onto\n"
      "                     the bars when they do\n"
      "  --json             one JSON line per image: {\"image\", \"ms\", \"found\", \"barAngle\",\n"
      "                     \"corners\", \"region\": {\"barLike\", \"aligned\"}}\n"
      "  --overlay OUT.png  draw the rectangle, a line along the bars and the turned region\n"
      "                     (one IMAGE only)\n"
      "%s"
      "\n"
      "Exit status: 0 done, 1 an image could not be read or searched, 2 bad usage.\n",
      idut_batchUsage().c_str());
}

int idut_barcodeCommand(const std::vector<std::string>& args) {
  barcodeOptions options;
  std::string error;
  if (!parseBarcode(args, &options, &error)) {
    std::fprintf(stderr, "idut barcode: %s\n(idut barcode --help for usage)\n", error.c_str());
    return 2;
  }
  const bool allDone = idut_runBatch(options.images, options.jobs,
                                     [&](int32_t, const std::string& path, FILE* out, FILE* err) {
                                       return barcodeOne(options, path, out, err);
                                     });
  return allDone ? 0 : 1;
}
