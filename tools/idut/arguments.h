// Parsing the values of command-line options.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "kit/shapes.h"

// A whole number in low .. high, the whole text; false for anything else.
bool idut_parseInt(const std::string& text, int32_t low, int32_t high, int32_t* value);

// "X,Y,X,Y,X,Y": the corners Po, Px and Py of a region, finite numbers.
bool idut_parseCorners(const std::string& text, cmath_shapeAffineRect* rect);

// What an option setter makes of one option.
enum class idut_optionResult { taken, unknown, badValue };

// Walks the arguments of a command that takes one IMAGE and options of the form --name VALUE:
// the bare word becomes *image, each option goes to set. On a second image, an unknown
// option, a missing or bad value returns false with the reason in *error.
bool idut_parseImageAndOptions(
    const std::vector<std::string>& args, std::string* image,
    const std::function<idut_optionResult(const std::string& name, const std::string& value)>& set,
    std::string* error);
