// JSON output of the tools.
#include "json.h"

#include <cstdio>

namespace {

void appendEscape(unsigned char c, std::string* out) {
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
  *out += escaped;
}

// The length of the well-formed UTF-8 sequence at text[i] (no overlong forms, surrogates
// or code points above U+10FFFF), or 0.
size_t utf8Length(const std::string& text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length;
  unsigned char low = 0x80, high = 0xbf;  // the range of the second byte
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;
    if (lead == 0xed) high = 0x9f;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;
    if (lead == 0xf4) high = 0x8f;
  } else {
    return 0;
  }
  if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < length; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xbf) return 0;
  return length;
}

// utf8: well-formed UTF-8 sequences are kept as they are; otherwise, and for every byte
// that is not part of one, bytes above 0x7e are \u escapes of the byte's own code.
std::string jsonString(const std::string& text, bool utf8) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      appendEscape(c, &out);
    } else if (c > 0x7e) {
      if (const size_t length = utf8 ? utf8Length(text, i) : 0) {
        out.append(text, i, length);
        i += length;
        continue;
      }
      appendEscape(c, &out);
    } else {
      out += char(c);
    }
    ++i;
  }
  return out + "\"";
}

}  // namespace

std::string idut_jsonString(const std::string& text) { return jsonString(text, true); }

std::string idut_jsonLatin1String(const std::string& bytes) { return jsonString(bytes, false); }
