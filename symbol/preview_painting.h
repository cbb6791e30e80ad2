#pragma once

#include "platform/device_context.h"

class SymbolGraphic;

// Paints the whole preview panel: the preview area, the button-face strip at its right edge with
// its two edge lines, then the symbol with its shadow. client is the panel's client rectangle.
void PaintPreviewPanel(DeviceContext& dc, const Rect& client, const SymbolGraphic& symbol);
