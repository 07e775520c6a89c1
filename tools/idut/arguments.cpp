// Parsing the values of command-line options.
#include "arguments.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

bool idut_parseInt(const std::string& text, int32_t low, int32_t high, int32_t* value) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || v < low || v > high) return false;
  *value = int32_t(v);
  return true;
}

bool idut_parseCorners(const std::string& text, cmath_shapeAffineRect* rect) {
  double v[6];
  char tail;
  if (std::sscanf(text.c_str(), "%lf,%lf,%lf,%lf,%lf,%lf%c", &v[0], &v[1], &v[2], &v[3], &v[4],
                  &v[5], &tail) != 6)
    return false;
  for (const double x : v)
    if (!std::isfinite(x)) return false;
  *rect = cmath_shapeAffineRect{{v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}};
  return true;
}

bool idut_parseImageAndOptions(
    const std::vector<std::string>& args, std::string* image,
    const std::function<idut_optionResult(const std::string& name, const std::string& value)>& set,
    std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') {
      if (!image->empty()) {
        *error = "one IMAGE only";
        return false;
      }
      *image = arg;
      continue;
    }
    if (i + 1 == args.size()) {
      *error = arg + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    switch (set(arg, value)) {
      case idut_optionResult::taken:
        break;
      case idut_optionResult::unknown:
        *error = "unknown option " + arg;
        return false;
      case idut_optionResult::badValue:
        *error = "bad value '" + value + "' for " + arg;
        return false;
    }
  }
  return true;
}
