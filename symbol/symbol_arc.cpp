#include "symbol/symbol_arc.h"

#include <cmath>
#include <numbers>

SymbolArc::SymbolArc(int x, int y, int radius, int x1, int y1, int x2, int y2, Colour colour)
    : SymbolElement(x, y, colour), radius(radius), x1(x1), y1(y1), x2(x2), y2(y2)
{
}

void SymbolArc::Draw(DeviceContext& dc) const
{
    // Angles are taken with y pointing up on the screen, so that counter-clockwise is the
    // direction of growing angle.
    const double start = std::atan2(double(y) - y1, double(x1) - x);
    double sweep = std::atan2(double(y) - y2, double(x2) - x) - start;
    const double fullTurn = 2 * std::numbers::pi;
    while (sweep <= 0)
        sweep += fullTurn;
    const int steps = int(std::ceil(sweep / (fullTurn / 32)));

    const double centreX = double(x) + originX;
    const double centreY = double(y) + originY;
    auto pointAt = [&](double angle, int& px, int& py) {
        px = int(std::lround(centreX + radius * std::cos(angle)));
        py = int(std::lround(centreY - radius * std::sin(angle)));
    };

    dc.SelectPen(PenStyle::Solid, 1, colour);
    int px = 0;
    int py = 0;
    pointAt(start, px, py);
    dc.MoveTo(px, py);
    for (int step = 1; step <= steps; ++step) {
        pointAt(start + sweep * step / steps, px, py);
        dc.LineTo(px, py);
    }
    dc.RestorePen();
}
