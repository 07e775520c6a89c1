// JSON output of the tools.
#include "json.h"

#include <cstdio>

namespace {

// escapeAbove: bytes above it are written as \u escapes too.
std::string jsonString(const std::string& text, unsigned char escapeAbove) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20 || c > escapeAbove) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

}  // namespace

std::string idut_jsonString(const std::string& text) { return jsonString(text, 0xff); }

std::string idut_jsonLatin1String(const std::string& bytes) { return jsonString(bytes, 0x7e); }
