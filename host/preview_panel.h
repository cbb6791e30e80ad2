#pragma once

#include "platform/dialog.h"

class SymbolGraphic;

// Control id of the preview panel.
constexpr int kPreviewPanelId = 65535;

// The child window at the left of a parameter page in which the block symbol is painted. It exists
// only while its page's window does; every paint draws the layout the graphic holds at that moment.
class PreviewPanel : public PanelPainter {
public:
    // Creates the panel's window in the dialog at rect (client coordinates).
    PreviewPanel(Dialog& dialog, SymbolGraphic& symbol, const Rect& rect);

    SymbolGraphic& symbol() const { return symbol_; }
    // Has the whole panel, background included, painted again.
    void Invalidate();

    void Paint(DeviceContext& dc, const Rect& client) override;

private:
    Dialog& dialog_;
    SymbolGraphic& symbol_;
};
