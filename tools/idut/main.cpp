// idut: the library on the command line. Each command is its own file; this one picks
// the command and prints the overall usage.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "barcode_command.h"
#include "edges_command.h"
#include "image_file.h"
#include "locate_command.h"
#include "prep_commands.h"
#include "read_command.h"
#include "search_arguments.h"

namespace {

// --max-pixels N, taken out of the arguments of any command: the largest image read.
bool takeMaxPixels(std::vector<std::string>* args) {
  const auto at = std::find(args->begin(), args->end(), "--max-pixels");
  if (at == args->end()) return true;
  if (at + 1 == args->end()) return false;
  const std::string& text = *(at + 1);
  char* end = nullptr;
  const long long pixels = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || pixels < 1 || pixels > (1LL << 32)) return false;
  idut_setMaxImagePixels(pixels);
  args->erase(at, at + 2);
  return takeMaxPixels(args);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
    idut_printLocateUsage(args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  struct command {
    const char* name;
    void (*usage)(FILE* out);
    int (*run)(const std::vector<std::string>& args);
  };
  const command commands[] = {{"locate", idut_printLocateUsage, idut_locateCommand},
                              {"edges", idut_printEdgesUsage, idut_edgesCommand},
                              {"binarize", idut_printBinarizeUsage, idut_binarizeCommand},
                              {"threshold", idut_printThresholdUsage, idut_thresholdCommand},
                              {"barcode", idut_printBarcodeUsage, idut_barcodeCommand},
                              {"read", idut_printReadUsage, idut_readCommand}};
  for (const command& c : commands) {
    if (args[0] != c.name) continue;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (!takeMaxPixels(&rest)) {
      std::fprintf(stderr, "idut %s: --max-pixels takes a number of pixels, 1 to 2^32\n", c.name);
      return 2;
    }
    if (std::find_if(rest.begin(), rest.end(), [](const std::string& a) {
          return a == "-h" || a == "--help";
        }) != rest.end()) {
      c.usage(stdout);
      return 0;
    }
    return c.run(rest);
  }
  std::fprintf(stderr, "idut: unknown command '%s'\n\n", args[0].c_str());
  idut_printLocateUsage(stderr);
  return 2;
}
