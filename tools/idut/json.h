// JSON output of the tools.
#pragma once

#include <string>

// The text as a JSON string literal, quotes included (quotes, backslashes and control
// characters escaped).
std::string idut_jsonString(const std::string& text);
