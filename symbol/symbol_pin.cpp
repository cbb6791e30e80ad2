#include "symbol/symbol_pin.h"

#include <string>

namespace {

constexpr Colour kPinCrossBlue = Rgb(0, 0, 255);
// A label at the inner end of a clock pin moves this far right, clear of the clock wedge.
constexpr int kClockLabelShift = 6;

TextSpec LabelSpec(const PinSpec& spec)
{
    const bool inner = spec.labelAtInnerEnd;
    TextSpec label;
    label.x = spec.x + (inner ? spec.dx : 0) + (inner && spec.clockMark ? kClockLabelShift : 0);
    label.y = spec.y + (inner ? spec.dy : 0);
    label.text = spec.labelText;
    label.colour = kSymbolBlack;
    label.pointSize = 8;
    label.align = spec.align;
    label.orientation = spec.orientation;
    label.fontName = "Arial";
    label.gapX = 4;
    label.gapY = 1;
    return label;
}

} // namespace

SymbolPin::SymbolPin(const PinSpec& spec)
    : stub(spec.x, spec.y, spec.dx, spec.dy, kSymbolBlack, spec.thick), label(LabelSpec(spec)),
      pinName(spec.pinName.empty() ? spec.labelText : spec.pinName), direction(spec.direction),
      clockMark(spec.clockMark)
{
    if (spec.busWidth == 0)
        return;
    // The stroke crosses the middle of the stub, a little further left for a two-digit width so
    // that the number after it stays on the stub.
    const int markX = spec.markX != 0 ? spec.markX : spec.dx / 2 + spec.x - (spec.busWidth < 10 ? 2 : 4);
    widthMark = std::make_unique<SymbolLine>(markX - 4, spec.y + 4, 8, -8, kSymbolTeal, LineWeight::Thin);
    if (spec.busWidth > 0) {
        TextSpec number;
        number.x = markX;
        number.y = spec.y;
        number.text = std::to_string(spec.busWidth);
        number.colour = kSymbolTeal;
        number.pointSize = 7;
        number.align = 0;
        number.fontName = "Arial";
        number.gapX = 1;
        number.gapY = 1;
        widthText = std::make_unique<SymbolText>(number);
    }
}

void SymbolPin::Draw(DeviceContext& dc) const
{
    label.Draw(dc);
    stub.Draw(dc);
    if (widthMark)
        widthMark->Draw(dc);
    if (widthText)
        widthText->Draw(dc);

    const int innerX = stub.x + stub.dx + stub.originX;
    const int innerY = stub.y + stub.dy + stub.originY;
    if (clockMark) {
        // The wedge is drawn with the stock pen, which stays selected afterwards.
        dc.SelectStockBlackPen();
        dc.MoveTo(innerX, innerY - 6);
        dc.LineTo(innerX + 6, innerY);
        dc.LineTo(innerX, innerY + 6);
    }
    if (!label.text.empty() && label.text != "-") {
        const int outerX = stub.x + stub.originX;
        const int outerY = stub.y + stub.originY;
        dc.SelectPen(PenStyle::Solid, 1, kPinCrossBlue);
        dc.MoveTo(outerX - 4, outerY - 4);
        dc.LineTo(outerX + 4, outerY + 4);
        dc.MoveTo(outerX - 4, outerY + 4);
        dc.LineTo(outerX + 4, outerY - 4);
        dc.RestorePen();
    }
}
