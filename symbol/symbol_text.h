#pragma once

#include "symbol/symbol_element.h"

#include <string>

enum class TextOrientation { Horizontal = 0, Vertical = 1 };

// How a text is placed: its anchor, look and alignment. align is 0..8: align % 3 is the column
// along the reading direction (0 start, 1 centre, 2 end), align / 3 the row across it (0 start,
// 1 centre, 2 end). gapX and gapY keep a starting or ending text that far from the anchor.
struct TextSpec {
    int x = 0;
    int y = 0;
    std::string text;
    Colour colour = kSymbolBlack;
    int pointSize = 8;
    int align = 0;
    TextOrientation orientation = TextOrientation::Horizontal;
    std::string fontName = "Arial";
    int gapX = 0;
    int gapY = 0;
};

// A text of the symbol with its measured extent and the drawing reference point that its
// alignment gives: the top-left corner of a horizontal text, the bottom-left corner of a vertical
// one, which reads upward from it.
class SymbolText : public SymbolElement {
public:
    // Measures the text in its font (always unrotated).
    explicit SymbolText(const TextSpec& spec);
    // Places the text as if it measured measuredWidth by measuredHeight.
    SymbolText(const TextSpec& spec, int measuredWidth, int measuredHeight);

    // Writes the text in its font, rotated when vertical, in its colour at the reference point.
    void Draw(DeviceContext& dc) const override;

    int pointSize;
    std::string text;
    std::string fontName;
    int align;
    TextOrientation orientation;
    int refX = 0;
    int refY = 0;
    int textHeight;
    int textWidth;
};
