#pragma once

#include <string>
#include <string_view>

// text as one terminal line can show it without acting on it: control characters, bytes outside
// well-formed UTF-8 and the backslash as the escapes of a shell's $'...'.
std::string PrintableText(std::string_view text);

// text as lines a terminal can show: each line as PrintableText writes it, its line end (\n or
// \r\n) kept as a line end, so that a tool's own message keeps its lines.
std::string PrintableLines(std::string_view text);
