#pragma once

#include "platform/font_description.h"

#include <QFont>

// The font for drawing a symbol text: the font file that the text measurement uses for the face
// name, registered with the toolkit once per file, at the same pixel size (the negative height).
QFont SymbolQFont(const FontDescription& font);
