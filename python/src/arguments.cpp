// Names and ranges of keyword arguments.
#include "arguments.h"

#include <pybind11/pybind11.h>

#include <cstdio>

int32_t idutpy_valueOf(const idutpy_namedValue* table, size_t count, const std::string& name,
                       const char* argument) {
  std::string names;
  for (size_t i = 0; i < count; ++i) {
    if (name == table[i].name) return table[i].value;
    names += std::string(names.empty() ? "" : ", ") + table[i].name;
  }
  throw pybind11::value_error(std::string(argument) + " must be one of " + names + ", not '" +
                              name + "'");
}

const char* idutpy_nameOf(const idutpy_namedValue* table, size_t count, int32_t value) {
  for (size_t i = 0; i < count; ++i)
    if (table[i].value == value) return table[i].name;
  return table[0].name;
}

void idutpy_checkRange(const char* argument, double value, double low, double high) {
  if (value >= low && value <= high) return;
  char range[64];
  std::snprintf(range, sizeof range, " must lie in %g .. %g", low, high);
  throw pybind11::value_error(argument + std::string(range));
}
