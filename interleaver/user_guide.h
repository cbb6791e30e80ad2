#pragma once

#include <string>

// Where the interleaver's user guide lies for the executable at executablePath: beside the
// executable's directory when the executable is called "zorvex", else relative to the current
// directory.
std::string UserGuidePath(const std::string& executablePath);

// Opens the user guide in the desktop's document viewer without waiting for it. A missing guide
// is silent: nothing is started and nothing is reported.
void OpenUserGuide(const std::string& executablePath);
