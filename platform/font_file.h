#pragma once

#include <string>

// The font file that fontconfig chooses for a family name, as the system's font mapper would:
// an unknown family falls back to the closest installed face. Returns "" only when fontconfig
// cannot be started or knows no font at all.
std::string FindFontFile(const std::string& faceName);
