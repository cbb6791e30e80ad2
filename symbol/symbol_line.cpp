#include "symbol/symbol_line.h"

SymbolLine::SymbolLine(int x, int y, int dx, int dy, Colour colour, LineWeight weight, bool startDot, PenStyle penStyle)
    : SymbolElement(x, y, colour), dx(dx), dy(dy), thick(weight), startDot(startDot), penStyle(penStyle)
{
}

void SymbolLine::Draw(DeviceContext& dc) const
{
    const int startX = x + originX;
    const int startY = y + originY;
    dc.SelectPen(penStyle, thick == LineWeight::Thick ? 2 : 1, colour);
    dc.MoveTo(startX, startY);
    dc.LineTo(startX + dx, startY + dy);
    if (startDot)
        dc.Ellipse(Rect{startX - 1, startY - 1, startX + 1, startY + 1});
    dc.RestorePen();
}
