// JSON output of the tools.
#pragma once

#include <string>

// The text as a JSON string literal, quotes included (quotes, backslashes and control
// characters escaped): UTF-8 as it is, and any byte that is not part of well-formed UTF-8
// (a file name in another encoding) as the \u escape of the byte's own code, so that the
// literal is valid JSON whatever the bytes.
std::string idut_jsonString(const std::string& text);
// Bytes as a JSON string literal, each byte taken as the character of that code (ISO
// 8859-1, the symbols' default character set): bytes above 0x7e as \u escapes, so the
// literal is plain ASCII whatever the bytes.
std::string idut_jsonLatin1String(const std::string& bytes);
