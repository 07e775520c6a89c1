// idut: the library on the command line. `idut locate` finds the DataMatrix symbols of
// images and tells where they are, as a table, as JSON lines, or drawn over the image.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "arguments.h"
#include "barcode_command.h"
#include "edges_command.h"
#include "idread/locate.h"
#include "image_file.h"
#include "json.h"
#include "overlay.h"
#include "prep_commands.h"

namespace {

// The usage text, with the defaults of idread_locateOptions.
void printUsage(FILE* out) {
  const idread_locateOptions d;
  std::string passes;
  for (const idread_pass pass : d.passes)
    passes += std::string(passes.empty() ? "" : ",") + idread_pass_name(pass);
  const char* fit = d.extraRelaxedFit ? "extra-relaxed" : d.relaxedFit ? "relaxed" : "strict";
  const char* polarity = d.polarity == idread_polarityDarkOnLight   ? "dark"
                         : d.polarity == idread_polarityLightOnDark ? "light"
                                                                  : "any";
  std::fprintf(
      out,
      "usage: idut locate [options] IMAGE...\n"
      "\n"
      "Finds every DataMatrix symbol in each image: 8-bit PGM (P5 or P2) or PNG (colour and\n"
      "16-bit PNGs are turned into 8-bit grey). Corners are image pixels, pixel (i, j)\n"
      "covering [i, i+1) x [j, j+1), in perimeter order: the corner of the finder L, the end\n"
      "of its x side, the opposite corner, the end of its y side. Each symbol's module\n"
      "counts (rows along the y side x columns along the x side, snapped to the nearest\n"
      "DataMatrix size when within a module or 4 %%) and its module pitch (pixels, the mean\n"
      "of the two clock tracks) are measured on the clock tracks; a find without regular\n"
      "clock tracks is dropped.\n"
      "\n"
      "options (defaults in brackets):\n"
      "  --json             one JSON line per image: {\"image\", \"ms\", \"found\": "
      "[{\"corners\",\n"
      "                     \"score\", \"threshold\", \"fourthCornerInferred\", \"rows\",\n"
      "                     \"cols\", \"pitch\"}]}; ms is the search time, file reading\n"
      "                     excluded\n"
      "  --overlay OUT.png  draw the found symbols over the image (one IMAGE only)\n"
      "  --row-spacing N    pixels between scan rows [%d]\n"
      "  --min-size PX      smallest symbol side in pixels [%g]\n"
      "  --max-size PX      largest symbol side in pixels [%g]\n"
      "  --shape SHAPE      any, square, rectangular, or ROWSxCOLS modules [any]\n"
      "  --fit FIT          strict (L corners 77 to 103 degrees), relaxed (70 to 110, and the\n"
      "                     corner opposite the L searched), extra-relaxed (60 to 120 with\n"
      "                     --shape any) [%s]\n"
      "  --polarity P       dark (on light), light (on dark) or any; a known polarity also\n"
      "                     keeps label outlines from being taken for symbols [%s]\n"
      "  --min-score S      drop finds scoring below S, 0 to 1000 [%d]\n"
      "  --low-contrast     add the low-contrast pass (row edges of contrast 11 and up)\n"
      "  --adaptive         add the adaptive-threshold pass (uneven light, faint edges)\n"
      "  --passes LIST      the passes in order, comma-separated: rows, low-contrast,\n"
      "                     adaptive [%s]\n"
      "  --border-touch     accept symbols cut by the image border\n"
      "  --symbol S         datamatrix, or pdp: ring-finder symbols (nested square rings, as\n"
      "                     QR Code's finders and Aztec Code's bull's-eye), each ring reported\n"
      "                     as its quadrilateral without modules; --row-spacing [%d],\n"
      "                     --min-size, --max-size and --json apply [datamatrix]\n"
      "  --three-sides      pdp: also complete rings seen on three sides only (other\n"
      "                     squarish shapes, DataMatrix symbols among them, may pass)\n"
      "  -h, --help         this text\n"
      "\n"
      "Exit status: 0 done, 1 an image could not be read or searched, 2 bad usage.\n"
      "\n"
      "Other commands (each with --help): idut edges (edge operators), idut binarize\n"
      "(black and white), idut threshold (grey-level statistics), idut barcode (bar\n"
      "direction of a linear barcode).\n",
      d.rowSpacing, d.minSize, d.maxSize, fit, polarity, d.minScore, passes.c_str(),
      idread_ringOptions{}.rowSpacing);
}

struct locateCommand {
  idread_locateOptions options;
  idread_ringOptions ringOptions;
  bool rings = false;  // --symbol pdp
  bool json = false;
  std::string overlay;
  std::vector<std::string> images;
};

bool parsePositive(const std::string& text, double* value) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(v) || v <= 0) return false;
  *value = v;
  return true;
}

// any: 0, 0; square: 10, 10 and rectangular: 8, 18 (the smallest symbols of each shape;
// counts up to 32 only select the shape test); ROWSxCOLS: the given counts.
bool parseShape(const std::string& text, int32_t* rows, int32_t* cols) {
  if (text == "any" || text == "square" || text == "rectangular") {
    *rows = text == "any" ? 0 : text == "square" ? 10 : 8;
    *cols = text == "any" ? 0 : text == "square" ? 10 : 18;
    return true;
  }
  const size_t x = text.find('x');
  return x != std::string::npos && idut_parseInt(text.substr(0, x), 1, 255, rows) &&
         idut_parseInt(text.substr(x + 1), 1, 255, cols);
}

// strict: the library's default fit; relaxed: looser angle and side-ratio limits and a
// search for the corner opposite the L; extra-relaxed: relaxed, and the loosest limits
// when the shape is any.
bool parseFit(const std::string& text, idread_locateOptions* options) {
  if (text != "strict" && text != "relaxed" && text != "extra-relaxed") return false;
  options->relaxedFit = text != "strict";
  options->extraRelaxedFit = text == "extra-relaxed";
  return true;
}

bool parsePolarity(const std::string& text, idread_polarity* polarity) {
  if (text == "dark")
    *polarity = idread_polarityDarkOnLight;
  else if (text == "light")
    *polarity = idread_polarityLightOnDark;
  else if (text == "any")
    *polarity = idread_polarityAny;
  else
    return false;
  return true;
}

bool parsePasses(const std::string& text, std::vector<idread_pass>* passes) {
  passes->clear();
  size_t from = 0;
  for (;;) {
    const size_t comma = text.find(',', from);
    idread_pass pass;
    if (!idread_pass_fromName(text.substr(from, comma - from), &pass)) return false;
    passes->push_back(pass);
    if (comma == std::string::npos) return true;
    from = comma + 1;
  }
}

struct flagOption {
  const char* name;
  void (*set)(locateCommand* command);
};

struct valueOption {
  const char* name;
  const char* expected;  // for the message on a bad value
  bool (*set)(const std::string& value, locateCommand* command);
};

void addPass(locateCommand* command, idread_pass pass) {
  std::vector<idread_pass>& passes = command->options.passes;
  if (std::find(passes.begin(), passes.end(), pass) == passes.end()) passes.push_back(pass);
}

const flagOption flagOptions[] = {
    {"--json", [](locateCommand* c) { c->json = true; }},
    {"--border-touch", [](locateCommand* c) { c->options.allowBorderTouch = 1; }},
    {"--three-sides", [](locateCommand* c) { c->ringOptions.tryThreeSides = true; }},
    {"--low-contrast", [](locateCommand* c) { addPass(c, idread_passLowContrast); }},
    {"--adaptive", [](locateCommand* c) { addPass(c, idread_passAdaptive); }},
};

const valueOption valueOptions[] = {
    {"--overlay", "a file name",
     [](const std::string& v, locateCommand* c) { return !(c->overlay = v).empty(); }},
    {"--row-spacing", "a whole number of pixels, 1 to 1000",
     [](const std::string& v, locateCommand* c) {
       return idut_parseInt(v, 1, 1000, &c->options.rowSpacing) &&
              idut_parseInt(v, 1, 1000, &c->ringOptions.rowSpacing);
     }},
    {"--min-size", "a positive number of pixels",
     [](const std::string& v, locateCommand* c) {
       return parsePositive(v, &c->options.minSize) && parsePositive(v, &c->ringOptions.minSize);
     }},
    {"--max-size", "a positive number of pixels",
     [](const std::string& v, locateCommand* c) {
       return parsePositive(v, &c->options.maxSize) && parsePositive(v, &c->ringOptions.maxSize);
     }},
    {"--shape", "any, square, rectangular or ROWSxCOLS",
     [](const std::string& v, locateCommand* c) {
       return parseShape(v, &c->options.symbolRows, &c->options.symbolCols);
     }},
    {"--fit", "strict, relaxed or extra-relaxed",
     [](const std::string& v, locateCommand* c) { return parseFit(v, &c->options); }},
    {"--polarity", "dark, light or any",
     [](const std::string& v, locateCommand* c) { return parsePolarity(v, &c->options.polarity); }},
    {"--min-score", "a score, 0 to 1000",
     [](const std::string& v, locateCommand* c) {
       return idut_parseInt(v, 0, 1000, &c->options.minScore);
     }},
    {"--symbol", "datamatrix or pdp",
     [](const std::string& v, locateCommand* c) {
       c->rings = v == "pdp";
       return v == "pdp" || v == "datamatrix";
     }},
    {"--passes", "a comma-separated list of rows, low-contrast, adaptive",
     [](const std::string& v, locateCommand* c) { return parsePasses(v, &c->options.passes); }},
};

// Fills *command from the arguments after "locate" (options as --name VALUE or
// --name=VALUE, anywhere among the images); on a bad argument returns false with the
// message in *error.
bool parseLocate(const std::vector<std::string>& args, locateCommand* command, std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') {
      command->images.push_back(arg);
      continue;
    }
    const size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    const auto flag = std::find_if(std::begin(flagOptions), std::end(flagOptions),
                                   [&](const flagOption& o) { return name == o.name; });
    if (flag != std::end(flagOptions) && eq == std::string::npos) {
      flag->set(command);
      continue;
    }
    const auto option = std::find_if(std::begin(valueOptions), std::end(valueOptions),
                                     [&](const valueOption& o) { return name == o.name; });
    if (option == std::end(valueOptions)) {
      *error = "unknown option " + arg;
      return false;
    }
    if (eq == std::string::npos && i + 1 == args.size()) {
      *error = name + " needs a value";
      return false;
    }
    const std::string value = eq == std::string::npos ? args[++i] : arg.substr(eq + 1);
    if (!option->set(value, command)) {
      *error = "bad value '" + value + "' for " + name + ": " + option->expected;
      return false;
    }
  }
  const idread_locateOptions& o = command->options;
  if (o.minSize > o.maxSize)
    *error = "--min-size is larger than --max-size";
  else if (command->images.empty())
    *error = "no IMAGE given";
  else if (!command->overlay.empty() && command->images.size() != 1)
    *error = "--overlay takes exactly one IMAGE";
  return error->empty();
}

// Rings have no module grid: rows, cols and pitch are left out for them.
void printJson(const std::string& path, double ms, const std::vector<idread_symbol>& symbols,
               bool withGrid) {
  std::printf("{\"image\": %s, \"ms\": %.3f, \"found\": [", idut_jsonString(path).c_str(), ms);
  for (size_t i = 0; i < symbols.size(); ++i) {
    const idread_symbol& s = symbols[i];
    std::printf("%s{\"corners\": [", i ? ", " : "");
    for (int32_t k = 0; k < 4; ++k)
      std::printf("%s[%.3f, %.3f]", k ? ", " : "", s.corners[k].x, s.corners[k].y);
    std::printf("], \"score\": %d, \"threshold\": %d, \"fourthCornerInferred\": %d", s.score,
                s.threshold, s.fourthCornerInferred);
    if (withGrid)
      std::printf(", \"rows\": %d, \"cols\": %d, \"pitch\": %.3f", s.rows, s.cols, s.pitch);
    std::printf("}");
  }
  std::printf("]}\n");
}

void printTable(const std::string& path, double ms, const std::vector<idread_symbol>& symbols,
                bool withGrid) {
  std::printf("%s: %zu symbol%s, %.1f ms\n", path.c_str(), symbols.size(),
              symbols.size() == 1 ? "" : "s", ms);
  if (symbols.empty()) return;
  std::printf(
      "   #  score  grey  L corner          x-side end        opposite          "
      "y-side end        4th corner%s\n",
      withGrid ? "  modules   pitch" : "");
  for (size_t i = 0; i < symbols.size(); ++i) {
    const idread_symbol& s = symbols[i];
    std::printf("%4zu  %5d  %4d", i + 1, s.score, s.threshold);
    for (const cmath_vect& c : s.corners) {
      char point[40];
      std::snprintf(point, sizeof point, "(%.1f, %.1f)", c.x, c.y);
      std::printf("  %-16s", point);
    }
    std::printf("  %-10s", s.fourthCornerInferred ? "inferred" : "measured");
    if (withGrid) {
      char modules[24];
      std::snprintf(modules, sizeof modules, "%dx%d", s.rows, s.cols);
      std::printf("  %-7s  %6.2f", modules, s.pitch);
    }
    std::printf("\n");
  }
}

// Searches one image and reports it; false when it could not be read or searched.
bool locateOne(const locateCommand& command, const std::string& path) {
  ccGreyImage image;
  std::string error;
  if (!idut_readGreyImage(path, &image, &error)) {
    std::fprintf(stderr, "idut: %s\n", error.c_str());
    return false;
  }
  std::vector<idread_symbol> symbols;
  const auto start = std::chrono::steady_clock::now();
  const int32_t status = command.rings
                             ? idread_locateRings(image.image(), command.ringOptions, &symbols)
                             : idread_locateAll(image.image(), command.options, &symbols);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (status < 0) {
    std::fprintf(stderr, "idut: %s: the search failed with status 0x%08x\n", path.c_str(),
                 uint32_t(status));
    return false;
  }
  if (command.json)
    printJson(path, ms, symbols, !command.rings);
  else
    printTable(path, ms, symbols, !command.rings);
  if (!command.overlay.empty()) {
    idut_rgbPicture picture = idut_rgbPicture_fromGrey(image.image());
    idut_drawSymbols(&picture, symbols, !command.rings);
    if (!idut_writePng(command.overlay, picture, &error)) {
      std::fprintf(stderr, "idut: %s\n", error.c_str());
      return false;
    }
    if (!command.json) std::printf("overlay: %s\n", command.overlay.c_str());
  }
  std::fflush(stdout);
  return true;
}

int locate(const std::vector<std::string>& args) {
  locateCommand command;
  std::string error;
  if (!parseLocate(args, &command, &error)) {
    std::fprintf(stderr, "idut locate: %s\n(idut --help for usage)\n", error.c_str());
    return 2;
  }
  bool allDone = true;
  for (const std::string& path : command.images) allDone = locateOne(command, path) && allDone;
  return allDone ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
    printUsage(args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  struct command {
    const char* name;
    void (*usage)(FILE* out);
    int (*run)(const std::vector<std::string>& args);
  };
  const command commands[] = {{"locate", printUsage, locate},
                              {"edges", idut_printEdgesUsage, idut_edgesCommand},
                              {"binarize", idut_printBinarizeUsage, idut_binarizeCommand},
                              {"threshold", idut_printThresholdUsage, idut_thresholdCommand},
                              {"barcode", idut_printBarcodeUsage, idut_barcodeCommand}};
  for (const command& c : commands) {
    if (args[0] != c.name) continue;
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (std::find_if(rest.begin(), rest.end(), [](const std::string& a) {
          return a == "-h" || a == "--help";
        }) != rest.end()) {
      c.usage(stdout);
      return 0;
    }
    return c.run(rest);
  }
  std::fprintf(stderr, "idut: unknown command '%s'\n\n", args[0].c_str());
  printUsage(stderr);
  return 2;
}
