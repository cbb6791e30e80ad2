#pragma once

#include "platform/device_context.h"

// Colours of the symbol preview panel.
constexpr Colour kPreviewBackground = PaletteIndex(8);
constexpr Colour kStripEdgeDark = PaletteIndex(12);
constexpr Colour kStripEdgeLight = PaletteIndex(10);
constexpr Colour kShadowColour = Rgb(128, 128, 128);
constexpr Colour kSymbolFace = Rgb(255, 255, 255);
// Width of the button-face strip at the panel's right edge.
constexpr int kStripWidth = 25;
