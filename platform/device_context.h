#pragma once

#include "platform/font_description.h"

#include <cstdint>
#include <string>

// A colour value 0x00BBGGRR; with 0x01000000 set, the low bits name an entry of the default
// palette instead (see PaletteColour).
using Colour = uint32_t;

constexpr Colour PaletteIndex(int entry)
{
    return 0x01000000u | uint32_t(entry);
}
constexpr Colour Rgb(int r, int g, int b)
{
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
// The RGB value of a colour, palette entries resolved through the default palette.
Colour ResolveColour(Colour colour);

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

enum class PenStyle { Solid = 0 };

// The drawing surface of the preview, in the classic device-context vocabulary. Pens and fonts are
// selected for the following calls; the previous selection can be put back with the Restore calls.
class DeviceContext {
public:
    virtual ~DeviceContext() = default;

    // Creates a pen and selects it; RestorePen selects the one that was current before.
    virtual void SelectPen(PenStyle style, int width, Colour colour) = 0;
    virtual void SelectStockBlackPen() = 0;
    virtual void RestorePen() = 0;

    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    // Outlined with the current pen, filled with white.
    virtual void Ellipse(const Rect& box) = 0;

    // A solid fill; like its classic counterpart it leaves colour as the background colour.
    virtual void FillSolid(const Rect& area, Colour colour) = 0;
    // The 50 % halftone brush: a checker of the text colour over the background colour.
    virtual void FillHalftone(const Rect& area) = 0;

    virtual void SetTextColour(Colour colour) = 0;
    virtual Colour TextColour() const = 0;
    virtual void SetBackgroundColour(Colour colour) = 0;
    virtual Colour BackgroundColour() const = 0;
    // The system colour of button faces.
    virtual Colour ButtonFaceColour() const = 0;

    // Draws text with its reference point at (x, y) in an opaque cell of the background colour.
    // A font with escapement 900 draws upward from the reference point (its bottom-left corner).
    virtual void TextOut(int x, int y, const std::string& text, const FontDescription& font) = 0;
};
