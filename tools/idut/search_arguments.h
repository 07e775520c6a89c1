// The arguments of `idut locate` and `idut read`: how symbols are searched for, the
// output form and the images.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

#include "idread/locate.h"

struct idut_searchArguments {
  idread_locateOptions options;
  idread_ringOptions ringOptions;
  bool rings = false;  // --symbol pdp
  bool json = false;
  std::string overlay;
  std::vector<std::string> images;  // folders expanded
  int32_t jobs = 0;                 // -j; 0: one thread per core
};

// Fills *command from the arguments after the command's name (options as --name VALUE or
// --name=VALUE, anywhere among the images; folders among the images replaced by the image
// files below them); on a bad argument returns false with the message in *error.
bool idut_parseSearchArguments(const std::vector<std::string>& args, idut_searchArguments* command,
                               std::string* error);
// The usage text of `idut locate`, with the defaults of the search options.
void idut_printLocateUsage(FILE* out);
