#pragma once

#include <string>

// The font file that draws one character of a text set in the face named faceName, so that
// measuring and drawing take each character from the same file. Every ASCII character, and every
// other character that face has, comes from the face's own file (FindFontFile). A character the
// face lacks comes from the closest installed face that has it, in fontconfig's order, as the
// toolkit's font fallback draws it; when no installed font has it, from the face's own file, whose
// missing-glyph box then stands for it. Returns "" only when FindFontFile does.
std::string FontFileForCharacter(const std::string& faceName, char32_t character);
