// Parsing the values of command-line options.
#include "arguments.h"

#include <cerrno>
#include <cstdlib>

bool idut_parseInt(const std::string& text, int32_t low, int32_t high, int32_t* value) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || v < low || v > high) return false;
  *value = int32_t(v);
  return true;
}
