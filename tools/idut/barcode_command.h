// `idut barcode IMAGE...`: the direction of the bars of a linear barcode through the
// image's middle, and whether a region given on the command line holds bars along its
// own axis.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

// Returns the exit status (0 done, 1 an image could not be read or searched, 2 bad usage).
int idut_barcodeCommand(const std::vector<std::string>& args);
void idut_printBarcodeUsage(FILE* out);
