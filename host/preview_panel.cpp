#include "host/preview_panel.h"

#include "symbol/preview_painting.h"
#include "symbol/symbol_description.h"
#include "symbol/symbol_graphic.h"

PreviewPanel::PreviewPanel(Dialog& dialog, SymbolGraphic& symbol, const Rect& rect) : dialog_(dialog), symbol_(symbol)
{
    dialog_.CreatePanel(kPreviewPanelId, rect, *this);
    dialog_.SetAccessibleName(kPreviewPanelId, "Symbol preview");
    Describe();
}

void PreviewPanel::Invalidate()
{
    Describe();
    dialog_.Invalidate(kPreviewPanelId);
}

void PreviewPanel::Paint(DeviceContext& dc, const Rect& client)
{
    PaintPreviewPanel(dc, client, symbol_);
}

void PreviewPanel::Describe()
{
    dialog_.SetAccessibleDescription(kPreviewPanelId, DescribeSymbol(symbol_));
}
