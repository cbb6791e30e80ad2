#pragma once

#include "platform/font_description.h"

#include <string>

// Logical resolution of the display in pixels per inch; symbol units are pixels at this resolution.
constexpr int kDisplayPixelsPerInch = 96;

// The font of a symbol text: a character height of pointSize points at the display's resolution
// (rounded half up, negative as a character height), turned by 90 degrees to read upward when
// vertical, the face name cut to 31 characters.
FontDescription BuildSymbolFont(int pointSize, bool vertical, const std::string& fontName);
