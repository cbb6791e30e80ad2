#include "symbol/symbol_text.h"

#include "symbol/symbol_font.h"
#include "symbol/text_measurer.h"

namespace {

// How far the reference point lies from the anchor for a start (0), centred (1) or end (other)
// alignment over an extent; halves truncate toward zero.
int Offset(int alignment, int extent, int gap)
{
    switch (alignment) {
    case 0:
        return -gap;
    case 1:
        return extent / 2;
    default:
        return extent + gap - 1;
    }
}

int MeasuredWidth(const TextSpec& spec)
{
    return TextMeasurer(spec.fontName, spec.pointSize).Width(spec.text);
}

int MeasuredHeight(const TextSpec& spec)
{
    return TextMeasurer(spec.fontName, spec.pointSize).Height(spec.text);
}

} // namespace

SymbolText::SymbolText(const TextSpec& spec) : SymbolText(spec, MeasuredWidth(spec), MeasuredHeight(spec))
{
}

SymbolText::SymbolText(const TextSpec& spec, int measuredWidth, int measuredHeight)
    : SymbolElement(spec.x, spec.y, spec.colour), pointSize(spec.pointSize), text(spec.text), fontName(spec.fontName),
      align(spec.align), orientation(spec.orientation), textHeight(measuredHeight), textWidth(measuredWidth)
{
    const int along = Offset(align % 3, textWidth, spec.gapX);
    const int across = Offset(align / 3, textHeight, spec.gapY);
    if (orientation == TextOrientation::Horizontal) {
        refX = x - along;
        refY = y - across;
    } else {
        // Turned a quarter counter-clockwise, the text reads upward and its rows run to the right,
        // so the reference point is the bottom-left corner of the turned box.
        refX = x - across;
        refY = y + along;
    }
}

void SymbolText::Draw(DeviceContext& dc) const
{
    const FontDescription font = BuildSymbolFont(pointSize, orientation != TextOrientation::Horizontal, fontName);
    dc.SetTextColour(colour);
    dc.TextOut(refX + originX, refY + originY, text, font);
}
