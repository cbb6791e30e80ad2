#include "symbol/preview_painting.h"

#include "symbol/preview_colours.h"
#include "symbol/symbol_graphic.h"

void PaintPreviewPanel(DeviceContext& dc, const Rect& client, const SymbolGraphic& symbol)
{
    const Rect area{client.left, client.top, client.right - kStripWidth, client.bottom};

    // Both fills leave their colour as the background colour: after them it is the button face,
    // against which the symbol's shadow over the strip is dithered.
    dc.FillSolid(area, kPreviewBackground);
    dc.FillSolid(Rect{area.right, client.top, client.right, client.bottom}, dc.ButtonFaceColour());

    dc.SelectPen(PenStyle::Solid, 1, kStripEdgeDark);
    dc.MoveTo(area.right, 0);
    dc.LineTo(area.right, client.bottom);
    dc.RestorePen();
    dc.SelectPen(PenStyle::Solid, 1, kStripEdgeLight);
    dc.MoveTo(area.right + 1, 0);
    dc.LineTo(area.right + 1, client.bottom);
    dc.RestorePen();

    symbol.Draw(dc, area);
}
