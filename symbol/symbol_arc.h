#pragma once

#include "symbol/symbol_element.h"

// An arc of the circle around (x, y) with the given radius, running counter-clockwise (as seen on
// the screen) from the direction of (x1, y1) to the direction of (x2, y2). The interleaver layout
// makes none; the writer and the preview still handle them.
class SymbolArc : public SymbolElement {
public:
    SymbolArc(int x, int y, int radius, int x1, int y1, int x2, int y2, Colour colour);

    // The arc as a chain of short straight lines with a 1-pixel pen in the arc's colour, one for
    // every 1/32 of a full turn or less; identical end directions give the whole circle.
    void Draw(DeviceContext& dc) const override;

    int radius;
    int x1;
    int y1;
    int x2;
    int y2;
};
