#include "symbol/symbol_circle.h"

SymbolCircle::SymbolCircle(int x, int y, int radius, Colour colour) : SymbolElement(x, y, colour), radius(radius)
{
}

void SymbolCircle::Draw(DeviceContext& dc) const
{
    const int centreX = x + originX;
    const int centreY = y + originY;
    dc.SelectPen(PenStyle::Solid, 1, colour);
    dc.Ellipse(Rect{centreX - radius, centreY - radius, centreX + radius, centreY + radius});
    dc.RestorePen();
}
