#pragma once

#include <string>

// A font as the symbol code describes it, field by field in the classic logical-font layout:
// height in pixels (negative: character height), angles in tenths of a degree, and the face name.
struct FontDescription {
    int height = 0;
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 0;
    int italic = 0;
    int underline = 0;
    int strikeOut = 0;
    int charSet = 0;
    int outPrecision = 0;
    int clipPrecision = 0;
    int quality = 0;
    int pitchAndFamily = 0;
    std::string faceName; // at most 31 characters
};
