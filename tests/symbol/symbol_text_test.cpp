#include "symbol/symbol_text.h"
#include "symbol/text_measurer.h"

#include <gtest/gtest.h>

namespace {

struct PlacementCase {
    int align;
    TextOrientation orientation;
    int gapX;
    int gapY;
    int refX;
    int refY;
};

// A text measuring 60 x 16 anchored at (100, 1). Columns: start = anchor + gapX, centre = anchor
// - 30, end = anchor - (60 + gapX - 1). Rows likewise with 16 and gapY. A vertical text moves its
// bottom-left corner right by the row offset's negation and down by the column offset.
TEST(SymbolTextPlacement, AlignmentGivesReferencePoint)
{
    const PlacementCase cases[] = {
        {1, TextOrientation::Horizontal, 1, 1, 70, 2},
        {0, TextOrientation::Horizontal, 4, 1, 104, 2},
        {2, TextOrientation::Horizontal, 4, 1, 37, 2},
        {3, TextOrientation::Horizontal, 4, 1, 104, -7},
        {5, TextOrientation::Horizontal, 4, 1, 37, -7},
        {8, TextOrientation::Horizontal, 4, 1, 37, -15},
        {0, TextOrientation::Vertical, 4, 1, 101, -3},
        {4, TextOrientation::Vertical, 4, 1, 92, 31},
        {8, TextOrientation::Vertical, 4, 1, 84, 64},
    };
    for (const PlacementCase& c : cases) {
        TextSpec spec;
        spec.x = 100;
        spec.y = 1;
        spec.text = "name";
        spec.align = c.align;
        spec.orientation = c.orientation;
        spec.gapX = c.gapX;
        spec.gapY = c.gapY;
        const SymbolText text(spec, 60, 16);
        EXPECT_EQ(text.refX, c.refX) << "align " << c.align << " orientation " << int(c.orientation);
        EXPECT_EQ(text.refY, c.refY) << "align " << c.align << " orientation " << int(c.orientation);
        EXPECT_EQ(text.textWidth, 60);
        EXPECT_EQ(text.textHeight, 16);
    }
}

TEST(SymbolTextPlacement, CentringTruncatesOddExtents)
{
    TextSpec spec;
    spec.x = 100;
    spec.y = 10;
    spec.align = 4;
    const SymbolText text(spec, 61, 15);
    EXPECT_EQ(text.refX, 70);
    EXPECT_EQ(text.refY, 3);
}

TEST(SymbolTextPlacement, MeasuresInItsOwnFontAndSize)
{
    TextSpec spec;
    spec.text = "read_addr[11..0]";
    spec.pointSize = 7;
    spec.fontName = "Arial";
    const SymbolText text(spec);
    const TextMeasurer measurer("Arial", 7);
    EXPECT_EQ(text.textWidth, measurer.Width(spec.text));
    EXPECT_EQ(text.textHeight, measurer.Height(spec.text));
    EXPECT_LT(text.textWidth, TextMeasurer("Arial", 8).Width(spec.text));
}

} // namespace
