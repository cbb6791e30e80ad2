#pragma once

#include <string>
#include <vector>

// The argument list as one line for the user to read: arguments holding blanks, quotes or nothing
// are put in single quotes; arguments holding what PrintableText escapes are shown as $'...' with
// those escapes, so that no argument prints a control character.
std::string DisplayCommandLine(const std::vector<std::string>& args);
