#pragma once

#include <string>
#include <vector>

// The argument list as one line for the user to read: arguments holding blanks, quotes or nothing
// are put in single quotes; arguments holding what PrintableText escapes are shown as $'...' with
// those escapes, so that no argument prints a control character.
std::string DisplayCommandLine(const std::vector<std::string>& args);

// word in single quotes, as a POSIX shell reads it back whatever it holds: each quote in it closed,
// escaped and opened again.
std::string ShellQuoted(const std::string& word);
