// Module sampling with the blur of the print taken back in part.
#pragma once

#include <stdint.h>

#include <vector>

#include "idread/locate.h"

// How one sampling differs from the plain one.
struct idread_sampling {
  // Each module's grey moved away from the mean of its four neighbours by this times the
  // difference before the thresholds are set: strong blur lets neighbours bleed into a
  // module, and this takes some of it back.
  double sharpening = 0.0;
  // The sample points moved along the x and y sides, in modules: corners placed a little
  // off shift the whole grid.
  double shiftX = 0.0;
  double shiftY = 0.0;
  // Each data region sampled through its own corners, fitted to the solid and alternating
  // modules around it: a print that bends moves the regions of a large symbol apart.
  bool perRegion = false;
};

// As idread_sampleModules, sampled as `sampling` says.
int32_t idread_sampleModulesAs(const cimg_image* image, const idread_symbol& symbol, int32_t rows,
                               int32_t columns, const idread_sampling& sampling,
                               std::vector<uint8_t>* modules);

// The two halves of a sampling, for a caller that tries several sharpenings on the same
// greys: the modules' greys, row by row from the top (-1 off the image), sampled at the
// sampling's shift and regions; then the modules from those greys with its sharpening.
// Samplings that differ in sharpening alone share the greys.
int32_t idread_sampleModuleGreys(const cimg_image* image, const idread_symbol& symbol,
                                 int32_t rows, int32_t columns, const idread_sampling& sampling,
                                 std::vector<double>* greys);
int32_t idread_modulesFromGreys(const std::vector<double>& greys, int32_t rows, int32_t columns,
                                double sharpening, std::vector<uint8_t>* modules);

// Moves each corner of the symbol by up to a module along its sides so that, on a rows x
// columns grid, the finder's ink modules (the L, every other clock module) stand out most
// against its spaces. False, with *fitted = symbol, when that changes nothing or the grid
// runs off the image.
bool idread_fitCornersToFinder(const cimg_image* image, const idread_symbol& symbol,
                               int32_t rows, int32_t columns, idread_symbol* fitted);
