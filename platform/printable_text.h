#pragma once

#include <string>
#include <string_view>

// text as it can be printed on one line of a terminal without acting on it: every control character
// (C0, DEL and C1), every byte that is not part of well-formed UTF-8, and the backslash itself are
// written as escapes, \n \r \t \\ or \xNN (two lower-case hex digits), the same escapes as in a
// shell's $'...' quoting; everything else is kept. Distinct texts stay distinct.
std::string PrintableText(std::string_view text);
