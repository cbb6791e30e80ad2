#pragma once

#include "platform/device_context.h"

// Colours of the block symbol.
constexpr Colour kSymbolBlack = Rgb(0, 0, 0);
constexpr Colour kSymbolTeal = Rgb(0, 128, 128);

// What every line, circle, arc and text of the symbol has: a reference point in symbol units
// (pixels, y downward), a colour, and the preview origin that the graphic copies into it when the
// element is added.
class SymbolElement {
public:
    SymbolElement(int x, int y, Colour colour) : x(x), y(y), colour(colour) {}
    virtual ~SymbolElement() = default;

    // Paints the element at its position plus the preview origin.
    virtual void Draw(DeviceContext& dc) const = 0;

    int x;
    int y;
    Colour colour;
    int originX = 0;
    int originY = 0;
};
