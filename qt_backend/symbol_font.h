#pragma once

#include "platform/font_description.h"

#include <QFont>

#include <string>

// The font for drawing a symbol text: the font file that the text measurement uses for the face
// name, registered with the toolkit once per file, at the same pixel size (the negative height).
QFont SymbolQFont(const FontDescription& font);

// The same font taken from the given font file instead, for the characters that file draws (see
// FontFileForCharacter). It never borrows glyphs from other fonts, so every character is drawn
// from the file it was measured in.
QFont SymbolQFont(const FontDescription& font, const std::string& file);
