#pragma once

#include "settings/interleaver_settings.h"
#include "symbol/symbol_graphic.h"

#include <string>

// baseName when it is at most limit wide in the font; else the longest start of it, in whole UTF-8
// characters, that fits followed by "...". Empty when nothing fits, and for a name of 255 bytes or
// more.
std::string FitToWidth(const std::string& baseName, int limit, int pointSize, const std::string& fontName);

// Replaces the symbol's contents with the block symbol of the settings: name, title and mode texts,
// the body, and the pins that the algorithm and memory flags call for, in file order.
void LayOutInterleaverSymbol(SymbolGraphic& symbol, const InterleaverSettings& settings, const std::string& baseName);
