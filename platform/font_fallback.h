#pragma once

#include <string>

// The font file that draws one character of a text set in the face named faceName, so that
// measuring and drawing take each character from the same file. Every ASCII character, and every
// other character that face has, comes from the face's own file (FindFontFile).
std::string FontFileForCharacter(const std::string& faceName, char32_t character);
