#pragma once

#include "platform/dialog.h"

class SymbolGraphic;

// Control id of the preview panel.
constexpr int kPreviewPanelId = 65535;

// The child window at the left of a parameter page in which the block symbol is painted. It exists
// only while its page's window does; every paint draws the layout the graphic holds at that moment.
// A screen reader reads it as the picture "Symbol preview", described by the symbol's texts and pins.
class PreviewPanel : public PanelPainter {
public:
    // Creates the panel's window in the dialog at rect (client coordinates).
    PreviewPanel(Dialog& dialog, SymbolGraphic& symbol, const Rect& rect);

    SymbolGraphic& symbol() const { return symbol_; }
    // Has the whole panel, background included, painted again, and tells a screen reader what
    // the symbol now holds.
    void Invalidate();

    void Paint(DeviceContext& dc, const Rect& client) override;

private:
    Dialog& dialog_;
    SymbolGraphic& symbol_;

    // The panel's accessible description: the symbol's texts and pins.
    void Describe();
};
