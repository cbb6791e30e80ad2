#include "symbol/symbol_font.h"

#include <algorithm>
#include <climits>
#include <cstdint>

FontDescription BuildSymbolFont(int pointSize, bool vertical, const std::string& fontName)
{
    // The height is worked out in 64 bits so that no point size can overflow; C++ division
    // truncates toward zero, which with the negative divisor rounds the pixel height half up.
    const int64_t height = (int64_t(pointSize) * kDisplayPixelsPerInch + 36) / -72;

    FontDescription font;
    font.height = int(std::clamp<int64_t>(height, INT_MIN, INT_MAX));
    font.width = 0;
    font.escapement = vertical ? 900 : 0;
    font.orientation = vertical ? 900 : 0;
    font.weight = 0;
    font.italic = 0;
    font.underline = 0;
    font.strikeOut = 0;
    font.charSet = 0; // ANSI
    font.outPrecision = 2; // character precision
    font.clipPrecision = 1; // character precision
    font.quality = 2; // proof quality
    font.pitchAndFamily = 0x30; // modern family, default pitch
    font.faceName = fontName.substr(0, 31);
    return font;
}
