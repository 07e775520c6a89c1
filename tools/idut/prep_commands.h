// `idut binarize` and `idut threshold`: the library's image preparation on the command
// line.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

// Each runs on the arguments after its name and returns the exit status (0 done, 1 an image
// could not be read, processed or written, 2 bad usage).
int idut_binarizeCommand(const std::vector<std::string>& args);
void idut_printBinarizeUsage(FILE* out);
int idut_thresholdCommand(const std::vector<std::string>& args);
void idut_printThresholdUsage(FILE* out);
