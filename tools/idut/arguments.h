// Parsing the values of command-line options.
#pragma once

#include <stdint.h>

#include <string>

// A whole number in low .. high, the whole text; false for anything else.
bool idut_parseInt(const std::string& text, int32_t low, int32_t high, int32_t* value);
