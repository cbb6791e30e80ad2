#pragma once

#include "symbol/symbol_element.h"

// A circle around the centre (x, y). The interleaver layout makes none; the writer and the preview
// still handle them.
class SymbolCircle : public SymbolElement {
public:
    SymbolCircle(int x, int y, int radius, Colour colour);

    // The outline with a 1-pixel pen in the circle's colour; the inside is painted white like the
    // symbol's face, so the circle stays an outline on the symbol.
    void Draw(DeviceContext& dc) const override;

    int radius;
};
