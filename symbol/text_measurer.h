#pragma once

#include <string>

struct MeasuringFace;

// Measures texts in one face and point size at the display's logical resolution, with the same
// font as the preview draws. The face is found by name as the system's font mapper would; when no
// font can be opened at all, every extent is 0.
//
// A text is read as UTF-8: each character is measured by its code point in the font file that
// draws it (see FontFileForCharacter), and a byte that is not valid UTF-8 as U+FFFD.
//
// Opened faces and the advance of every character are kept for the rest of the process, so a
// measurer is cheap to create; the extents are exactly those of a freshly opened face.
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
