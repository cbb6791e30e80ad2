#pragma once

#include "symbol/symbol_line.h"
#include "symbol/symbol_text.h"

#include <memory>
#include <string>

enum class PinDirection { In = 0, Out = 1, Bidir = 2 };

// The description from which a pin is built. (x, y) is the stub's outer end and (dx, dy) the
// offset to its inner end. An empty pinName means the label text. busWidth 0 gives no bus-width
// mark, a negative one the stroke without a number; markX 0 places the stroke automatically.
struct PinSpec {
    int x = 0;
    int y = 0;
    int dx = 0;
    int dy = 0;
    std::string labelText;
    std::string pinName;
    LineWeight thick = LineWeight::Thin;
    PinDirection direction = PinDirection::In;
    int align = 0;
    bool labelAtInnerEnd = false;
    TextOrientation orientation = TextOrientation::Horizontal;
    bool clockMark = false;
    int busWidth = 0;
    int markX = 0;
};

// A pin of the symbol: its stub, its label, and for a bus an optional width stroke and number.
// It owns all its parts.
class SymbolPin {
public:
    explicit SymbolPin(const PinSpec& spec);

    // Label, stub, width mark and width number, the clock wedge, then a blue cross at the outer
    // end of a named pin.
    void Draw(DeviceContext& dc) const;

    SymbolLine stub;
    SymbolText label;
    std::unique_ptr<SymbolLine> widthMark;
    std::unique_ptr<SymbolText> widthText;
    std::string pinName;
    PinDirection direction;
    bool clockMark;
    int originX = 0;
    int originY = 0;
};
