#pragma once

#include <string>

struct MeasuringFace;

// Measures texts in one face and point size at the display's logical resolution, with the same font
// as the preview draws. The face is found by name as the system's font mapper would; when no font
// can be opened at all, every extent is 0.
class TextMeasurer {
public:
    TextMeasurer(const std::string& fontName, int pointSize);

    // Sum of the advances of the text's characters, without kerning.
    int Width(const std::string& text) const;
    // The font's line height (ascent plus descent); the same for every text.
    int Height(const std::string& text) const;
    // False when no font could be opened for the face name.
    bool IsOpen() const { return face_ != nullptr; }

private:
    MeasuringFace* face_ = nullptr;
    std::string faceName_;
    int pixelSize_ = 0;

    int Advance(char32_t character) const;
};
