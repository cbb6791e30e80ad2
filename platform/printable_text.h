#pragma once

#include <string>
#include <string_view>

// text as one terminal line can show it without acting on it: control characters, bytes outside
// well-formed UTF-8 and the backslash as the escapes of a shell's $'...'.
std::string PrintableText(std::string_view text);
