// Keyword arguments of the module's functions: names that stand for library values, and
// range checks, each failing with a ValueError that names the argument.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

struct idutpy_namedValue {
  const char* name;
  int32_t value;
};

// The value of name in the table; ValueError listing the names when it is none of them.
int32_t idutpy_valueOf(const idutpy_namedValue* table, size_t count, const std::string& name,
                       const char* argument);
// The name of value in the table, or the first name.
const char* idutpy_nameOf(const idutpy_namedValue* table, size_t count, int32_t value);

template <size_t count>
int32_t idutpy_valueOf(const idutpy_namedValue (&table)[count], const std::string& name,
                       const char* argument) {
  return idutpy_valueOf(table, count, name, argument);
}
template <size_t count>
const char* idutpy_nameOf(const idutpy_namedValue (&table)[count], int32_t value) {
  return idutpy_nameOf(table, count, value);
}

// ValueError unless low <= value <= high.
void idutpy_checkRange(const char* argument, double value, double low, double high);
