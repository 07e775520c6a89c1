// The arguments of `idut locate` and `idut read`.
#include "search_arguments.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "arguments.h"
#include "batch.h"

namespace {

bool parsePositive(const std::string& text, double* value) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(v) || v <= 0) return false;
  *value = v;
  return true;
}

// A shape name, or ROWSxCOLS: a DataMatrix size's counts.
bool parseShape(const std::string& text, idread_locateOptions* options) {
  if (idread_setShapeByName(text, options)) return true;
  const size_t x = text.find('x');
  int32_t rows, columns;
  return x != std::string::npos && idut_parseInt(text.substr(0, x), 1, 255, &rows) &&
         idut_parseInt(text.substr(x + 1), 1, 255, &columns) &&
         idread_setShapeBySize(rows, columns, options);
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
  void (*set)(idut_searchArguments* command);
};

struct valueOption {
  const char* name;
  const char* expected;  // for the message on a bad value
  bool (*set)(const std::string& value, idut_searchArguments* command);
};

void addPass(idut_searchArguments* command, idread_pass pass) {
  std::vector<idread_pass>& passes = command->options.passes;
  if (std::find(passes.begin(), passes.end(), pass) == passes.end()) passes.push_back(pass);
}

const flagOption flagOptions[] = {
    {"--json", [](idut_searchArguments* c) { c->json = true; }},
    {"--border-touch", [](idut_searchArguments* c) { c->options.allowBorderTouch = 1; }},
    {"--three-sides", [](idut_searchArguments* c) { c->ringOptions.tryThreeSides = true; }},
    {"--low-contrast", [](idut_searchArguments* c) { addPass(c, idread_passLowContrast); }},
    {"--adaptive", [](idut_searchArguments* c) { addPass(c, idread_passAdaptive); }},
};

const valueOption valueOptions[] = {
    {"--overlay", "a file name",
     [](const std::string& v, idut_searchArguments* c) { return !(c->overlay = v).empty(); }},
    {"--row-spacing", "a whole number of pixels, 1 to 1000",
     [](const std::string& v, idut_searchArguments* c) {
       return idut_parseInt(v, 1, 1000, &c->options.rowSpacing) &&
              idut_parseInt(v, 1, 1000, &c->ringOptions.rowSpacing);
     }},
    {"--min-size", "a positive number of pixels",
     [](const std::string& v, idut_searchArguments* c) {
       return parsePositive(v, &c->options.minSize) && parsePositive(v, &c->ringOptions.minSize);
     }},
    {"--max-size", "a positive number of pixels",
     [](const std::string& v, idut_searchArguments* c) {
       return parsePositive(v, &c->options.maxSize) && parsePositive(v, &c->ringOptions.maxSize);
     }},
    {"--shape", "any, square, rectangular or ROWSxCOLS (a DataMatrix size)",
     [](const std::string& v, idut_searchArguments* c) {
       return parseShape(v, &c->options);
     }},
    {"--fit", "strict, relaxed or extra-relaxed",
     [](const std::string& v, idut_searchArguments* c) { return idread_setFitByName(v, &c->options); }},
    {"--polarity", "dark, light or any",
     [](const std::string& v, idut_searchArguments* c) { return idread_polarity_fromName(v, &c->options.polarity); }},
    {"--min-score", "a score, 0 to 1000",
     [](const std::string& v, idut_searchArguments* c) {
       return idut_parseInt(v, 0, 1000, &c->options.minScore);
     }},
    {"--symbol", "datamatrix or pdp",
     [](const std::string& v, idut_searchArguments* c) {
       c->rings = v == "pdp";
       return v == "pdp" || v == "datamatrix";
     }},
    {"--passes", "a comma-separated list of rows, low-contrast, adaptive",
     [](const std::string& v, idut_searchArguments* c) { return parsePasses(v, &c->options.passes); }},
    {"-j", idut_jobsExpected,
     [](const std::string& v, idut_searchArguments* c) { return idut_parseJobs(v, &c->jobs); }},
};

}  // namespace

void idut_printLocateUsage(FILE* out) {
  const idread_locateOptions d;
  std::string passes;
  for (const idread_pass pass : d.passes)
    passes += std::string(passes.empty() ? "" : ",") + idread_pass_name(pass);
  const char* fit = idread_fit_name(d);
  const char* polarity = idread_polarity_name(d.polarity);
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
      "  --shape SHAPE      any, square, rectangular, or ROWSxCOLS (a DataMatrix size) [any]\n"
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
      "%s"
      "  -h, --help         this text\n"
      "\n"
      "Exit status: 0 done, 1 an image could not be read or searched, 2 bad usage.\n"
      "\n"
      "Other commands (each with --help): idut edges (edge operators), idut binarize\n"
      "(black and white), idut threshold (grey-level statistics), idut barcode (bar\n"
      "direction of a linear barcode).\n",
      d.rowSpacing, d.minSize, d.maxSize, fit, polarity, d.minScore, passes.c_str(),
      idread_ringOptions{}.rowSpacing, idut_batchUsage().c_str());
}

bool idut_parseSearchArguments(const std::vector<std::string>& args, idut_searchArguments* command,
                               std::string* error) {
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
  else if (!idut_expandImages(&command->images, error))
    return false;
  else if (!command->overlay.empty() && command->images.size() != 1)
    *error = "--overlay takes exactly one IMAGE";
  return error->empty();
}

// Rings have no module grid: rows, cols and pitch are left out for them.
