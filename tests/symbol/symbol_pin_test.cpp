#include "symbol/symbol_pin.h"

#include <gtest/gtest.h>

namespace {

PinSpec LeftPin(const std::string& label, int y)
{
    PinSpec spec;
    spec.y = y;
    spec.dx = 16;
    spec.labelText = label;
    spec.align = 3;
    spec.labelAtInnerEnd = true;
    return spec;
}

TEST(SymbolPin, LabelAnchorFollowsInnerEndAndClockWedge)
{
    PinSpec spec = LeftPin("clk", 40);
    spec.clockMark = true;
    EXPECT_EQ(SymbolPin(spec).label.refX, 16 + 6 + 4);

    spec.labelAtInnerEnd = false;
    EXPECT_EQ(SymbolPin(spec).label.refX, 0 + 4);

    spec.pinName = "clock_port";
    EXPECT_EQ(SymbolPin(spec).pinName, "clock_port");
}

struct MarkCase {
    int busWidth;
    int markX;
    int expectedMark;
    const char* number; // nullptr: no number
};

TEST(SymbolPin, BusWidthMarkPlacement)
{
    const MarkCase cases[] = {
        {12, 0, 4, "12"},  // 16 / 2 + 0 - 4
        {10, 0, 4, "10"},  // two digits from 10 on
        {5, 0, 6, "5"},    // 16 / 2 + 0 - 2
        {-3, 0, 6, nullptr},
        {9, 30, 30, "9"},
    };
    for (const MarkCase& c : cases) {
        PinSpec spec = LeftPin("d", 24);
        spec.busWidth = c.busWidth;
        spec.markX = c.markX;
        const SymbolPin pin(spec);
        ASSERT_TRUE(pin.widthMark) << c.busWidth;
        EXPECT_EQ(pin.widthMark->x, c.expectedMark - 4);
        EXPECT_EQ(pin.widthMark->y, 28);
        EXPECT_EQ(pin.widthMark->dx, 8);
        EXPECT_EQ(pin.widthMark->dy, -8);
        EXPECT_EQ(pin.widthMark->colour, kSymbolTeal);
        EXPECT_EQ(pin.widthMark->thick, LineWeight::Thin);
        if (!c.number) {
            EXPECT_FALSE(pin.widthText);
            continue;
        }
        ASSERT_TRUE(pin.widthText);
        EXPECT_EQ(pin.widthText->text, c.number);
        EXPECT_EQ(pin.widthText->pointSize, 7);
        EXPECT_EQ(pin.widthText->colour, kSymbolTeal);
        EXPECT_EQ(pin.widthText->refX, c.expectedMark + 1);
        EXPECT_EQ(pin.widthText->refY, 25);
    }
}

} // namespace
