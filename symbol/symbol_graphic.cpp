#include "symbol/symbol_graphic.h"

#include "symbol/preview_colours.h"
#include "symbol/text_measurer.h"

#include <utility>

SymbolGraphic::SymbolGraphic(int width, int height) : panelHeight(height + 16), panelWidth_(width + 16)
{
}

SymbolGraphic::SymbolGraphic(int (*measureWidth)(), int height) : panelHeight(height + 16), measureWidth_(measureWidth)
{
}

int SymbolGraphic::panelWidth() const
{
    if (measureWidth_ != nullptr) {
        panelWidth_ = measureWidth_() + 16;
        measureWidth_ = nullptr;
    }
    return panelWidth_;
}

void SymbolGraphic::Reset(int width, int height)
{
    symbolWidth = width;
    symbolHeight = height;
    originX = panelWidth() - width - 8;
    originY = (panelHeight - height) / 2;
    lines.clear();
    circles.clear();
    arcs.clear();
    texts.clear();
    pins.clear();
}

namespace {

template <typename Element>
void Append(std::vector<std::unique_ptr<Element>>& list, std::unique_ptr<Element> element, int originX, int originY)
{
    if (!element)
        return;
    element->originX = originX;
    element->originY = originY;
    list.push_back(std::move(element));
}

} // namespace

void SymbolGraphic::AddLine(std::unique_ptr<SymbolLine> line)
{
    Append(lines, std::move(line), originX, originY);
}

void SymbolGraphic::AddCircle(std::unique_ptr<SymbolCircle> circle)
{
    Append(circles, std::move(circle), originX, originY);
}

void SymbolGraphic::AddArc(std::unique_ptr<SymbolArc> arc)
{
    Append(arcs, std::move(arc), originX, originY);
}

void SymbolGraphic::AddText(std::unique_ptr<SymbolText> text)
{
    Append(texts, std::move(text), originX, originY);
}

void SymbolGraphic::AddPin(std::unique_ptr<SymbolPin> pin)
{
    if (!pin)
        return;
    pin->stub.originX = pin->label.originX = originX;
    pin->stub.originY = pin->label.originY = originY;
    if (pin->widthMark) {
        pin->widthMark->originX = originX;
        pin->widthMark->originY = originY;
    }
    if (pin->widthText) {
        pin->widthText->originX = originX;
        pin->widthText->originY = originY;
    }
    pin->originX = originX;
    pin->originY = originY;
    pins.push_back(std::move(pin));
}

int RoundUp8(int a)
{
    // Worked out in 64 bits so that values near the top of the range do not overflow.
    return int((static_cast<long long>(a) + 7) / 8 * 8);
}

int ReferenceSymbolWidth()
{
    const int w = TextMeasurer("Arial", 8).Width("write_addr[15..0]");
    return 2 * RoundUp8(w + 8) + 48;
}

void SymbolGraphic::Draw(DeviceContext& dc, const Rect& area) const
{
    const Rect shadow{originX + 8, originY + 8, originX + symbolWidth + 8, originY + symbolHeight + 8};
    const Rect face{originX, originY, originX + symbolWidth, originY + symbolHeight};

    dc.SetTextColour(kShadowColour);
    if (shadow.right > area.right) {
        // The symbol reaches into the strip: each part of the shadow is dithered against the
        // colour underneath it, and the strip's dark edge, which the shadow covered, is drawn again.
        const Colour stripBackground = dc.BackgroundColour();
        dc.SetBackgroundColour(kPreviewBackground);
        dc.FillHalftone(Rect{shadow.left, shadow.top, area.right, shadow.bottom});
        dc.SetBackgroundColour(stripBackground);
        dc.FillHalftone(Rect{area.right, shadow.top, shadow.right, shadow.bottom});
        dc.SelectPen(PenStyle::Solid, 1, kStripEdgeDark);
        dc.MoveTo(area.right, area.top);
        dc.LineTo(area.right, area.bottom);
        dc.FillSolid(face, kSymbolFace);
        dc.RestorePen();
    } else {
        dc.FillHalftone(shadow);
        dc.FillSolid(face, kSymbolFace);
    }

    // The white face is now the background colour, so every text gets a white cell; the texts
    // come before the lines so that the lines stay visible over those cells.
    for (const auto& text : texts)
        text->Draw(dc);

    dc.SelectPen(PenStyle::Solid, 1, kSymbolTeal);
    dc.MoveTo(face.left, face.top);
    dc.LineTo(face.right, face.top);
    dc.LineTo(face.right, face.bottom);
    dc.LineTo(face.left, face.bottom);
    dc.LineTo(face.left, face.top);
    dc.RestorePen();

    for (const auto& circle : circles)
        circle->Draw(dc);
    for (const auto& arc : arcs)
        arc->Draw(dc);
    for (const auto& line : lines)
        line->Draw(dc);
    for (const auto& pin : pins)
        pin->Draw(dc);
}
