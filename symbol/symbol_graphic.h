#pragma once

#include "model/symbol_line_writer.h"
#include "platform/device_context.h"
#include "symbol/symbol_arc.h"
#include "symbol/symbol_circle.h"
#include "symbol/symbol_line.h"
#include "symbol/symbol_pin.h"
#include "symbol/symbol_text.h"

#include <memory>
#include <ostream>
#include <vector>

// The block symbol in memory: its size, its place in the preview panel and its elements, each
// list in the order the elements were added. Text 0 is the symbol's name. The graphic owns every
// element; one layout fills it after a Reset.
class SymbolGraphic : public SymbolLineWriter {
public:
    // An empty graphic for a preview panel that holds a symbol of width x height with a margin of
    // 8 all round.
    SymbolGraphic(int width, int height);
    // The same, with the width measured only when the panel's width is first needed, so that a
    // run which never needs it early does not wait for the fonts at start-up.
    SymbolGraphic(int (*measureWidth)(), int height);
    SymbolGraphic(const SymbolGraphic&) = delete;
    SymbolGraphic& operator=(const SymbolGraphic&) = delete;

    // Starts a new symbol of the given size: right-aligned 8 units inside the panel, centred
    // vertically, every element of the previous one destroyed.
    void Reset(int width, int height);

    // Each hands the element over to the graphic, which gives it the current preview origin.
    // A null element is ignored.
    void AddLine(std::unique_ptr<SymbolLine> line);
    void AddCircle(std::unique_ptr<SymbolCircle> circle);
    void AddArc(std::unique_ptr<SymbolArc> arc);
    void AddText(std::unique_ptr<SymbolText> text);
    void AddPin(std::unique_ptr<SymbolPin> pin);

    // The "SYMBOL:" lines of the symbol, y counted upward from its bottom edge. Returns true.
    bool WriteSymbolLines(std::ostream& file) const override;

    // Paints the symbol with its shadow into the preview area of the panel (the panel without its
    // button-face strip at the right).
    void Draw(DeviceContext& dc, const Rect& area) const;

    int symbolWidth = 0;
    int symbolHeight = 0;
    // Width of the preview panel: the symbol width given at construction plus 16.
    int panelWidth() const;
    const int panelHeight;
    int originX = 8;
    int originY = 8;
    std::vector<std::unique_ptr<SymbolLine>> lines;
    std::vector<std::unique_ptr<SymbolCircle>> circles;
    std::vector<std::unique_ptr<SymbolArc>> arcs;
    std::vector<std::unique_ptr<SymbolText>> texts;
    std::vector<std::unique_ptr<SymbolPin>> pins;

private:
    mutable int (*measureWidth_)() = nullptr;
    mutable int panelWidth_ = 0;
};

// a rounded up to a multiple of 8 (toward zero for negative values).
int RoundUp8(int a);

// The width of a symbol with the widest address and data labels of valid settings; it sizes the
// preview panel and limits the width of the symbol's name.
int ReferenceSymbolWidth();
