#pragma once

#include "symbol/symbol_element.h"

enum class LineWeight { Thin = 0, Thick = 1 };

// A straight line from (x, y) to (x + dx, y + dy).
class SymbolLine : public SymbolElement {
public:
    SymbolLine(int x, int y, int dx, int dy, Colour colour, LineWeight weight, bool startDot = false,
               PenStyle penStyle = PenStyle::Solid);

    // A 2-pixel pen when thick, else 1 pixel; a small dot at the start point when asked for.
    void Draw(DeviceContext& dc) const override;

    int dx;
    int dy;
    LineWeight thick;
    bool startDot;
    PenStyle penStyle;
};
