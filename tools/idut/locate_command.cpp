// `idut locate IMAGE...`: where the symbols of each image are, as a table, as JSON lines,
// or drawn over the image.
#include "locate_command.h"

#include <chrono>
#include <cstdio>

#include "batch.h"
#include "image_file.h"
#include "json.h"
#include "overlay.h"
#include "search_arguments.h"

namespace {

void printJson(FILE* out, const std::string& path, double ms,
               const std::vector<idread_symbol>& symbols, bool withGrid) {
  std::fprintf(out, "{\"image\": %s, \"ms\": %.3f, \"found\": [", idut_jsonString(path).c_str(),
               ms);
  for (size_t i = 0; i < symbols.size(); ++i) {
    const idread_symbol& s = symbols[i];
    std::fprintf(out, "%s{\"corners\": [", i ? ", " : "");
    for (int32_t k = 0; k < 4; ++k)
      std::fprintf(out, "%s[%.3f, %.3f]", k ? ", " : "", s.corners[k].x, s.corners[k].y);
    std::fprintf(out, "], \"score\": %d, \"threshold\": %d, \"fourthCornerInferred\": %d", s.score,
                 s.threshold, s.fourthCornerInferred);
    if (withGrid)
      std::fprintf(out, ", \"rows\": %d, \"cols\": %d, \"pitch\": %.3f", s.rows, s.cols, s.pitch);
    std::fprintf(out, "}");
  }
  std::fprintf(out, "]}\n");
}

void printTable(FILE* out, const std::string& path, double ms,
                const std::vector<idread_symbol>& symbols, bool withGrid) {
  std::fprintf(out, "%s: %zu symbol%s, %.1f ms\n", path.c_str(), symbols.size(),
               symbols.size() == 1 ? "" : "s", ms);
  if (symbols.empty()) return;
  std::fprintf(out,
               "   #  score  grey  L corner          x-side end        opposite          "
               "y-side end        4th corner%s\n",
               withGrid ? "  modules   pitch" : "");
  for (size_t i = 0; i < symbols.size(); ++i) {
    const idread_symbol& s = symbols[i];
    std::fprintf(out, "%4zu  %5d  %4d", i + 1, s.score, s.threshold);
    for (const cmath_vect& c : s.corners) {
      char point[40];
      std::snprintf(point, sizeof point, "(%.1f, %.1f)", c.x, c.y);
      std::fprintf(out, "  %-16s", point);
    }
    std::fprintf(out, "  %-10s", s.fourthCornerInferred ? "inferred" : "measured");
    if (withGrid) {
      char modules[24];
      std::snprintf(modules, sizeof modules, "%dx%d", s.rows, s.cols);
      std::fprintf(out, "  %-7s  %6.2f", modules, s.pitch);
    }
    std::fprintf(out, "\n");
  }
}

// Searches one image and reports it; false when it could not be read or searched.
bool locateOne(const idut_searchArguments& command, const std::string& path, FILE* out, FILE* err) {
  ccGreyImage image;
  std::string error;
  if (!idut_readGreyImage(path, &image, &error)) {
    std::fprintf(err, "idut: %s\n", error.c_str());
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
    std::fprintf(err, "idut: %s: the search failed with status 0x%08x\n", path.c_str(),
                 uint32_t(status));
    return false;
  }
  if (command.json)
    printJson(out, path, ms, symbols, !command.rings);
  else
    printTable(out, path, ms, symbols, !command.rings);
  if (!command.overlay.empty()) {
    idut_rgbPicture picture = idut_rgbPicture_fromGrey(image.image());
    idut_drawSymbols(&picture, symbols, !command.rings);
    if (!idut_writePng(command.overlay, picture, &error)) {
      std::fprintf(err, "idut: %s\n", error.c_str());
      return false;
    }
    if (!command.json) std::fprintf(out, "overlay: %s\n", command.overlay.c_str());
  }
  return true;
}

}  // namespace

int idut_locateCommand(const std::vector<std::string>& args) {
  idut_searchArguments command;
  std::string error;
  if (!idut_parseSearchArguments(args, &command, &error)) {
    std::fprintf(stderr, "idut locate: %s\n(idut --help for usage)\n", error.c_str());
    return 2;
  }
  const bool allDone = idut_runBatch(command.images, command.jobs,
                                     [&](int32_t, const std::string& path, FILE* out, FILE* err) {
                                       return locateOne(command, path, out, err);
                                     });
  return allDone ? 0 : 1;
}
