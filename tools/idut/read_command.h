// `idut read IMAGE...`: the DataMatrix symbols of images read.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

// Runs on the arguments after "read"; returns the exit status (0 every image gave a text,
// 1 an image could not be read, searched or gave none, 2 bad usage).
int idut_readCommand(const std::vector<std::string>& args);
void idut_printReadUsage(FILE* out);
