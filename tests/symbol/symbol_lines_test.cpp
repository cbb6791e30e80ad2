#include "symbol/symbol_graphic.h"
#include "symbol/text_measurer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

std::string LinesOf(const SymbolGraphic& graphic)
{
    std::ostringstream out;
    graphic.WriteSymbolLines(out);
    return out.str();
}

// Every kind of line in file order: box from text 0, lines, circles, arcs, the other texts, then
// the pins with their width marks, width numbers and clock wedges.
TEST(SymbolLines, AllKindsInFileOrder)
{
    SymbolGraphic graphic(200, 192);
    graphic.Reset(100, 128);

    PinSpec clock;
    clock.x = 100;
    clock.y = 88;
    clock.dx = -16;
    clock.labelText = "clk";
    clock.pinName = "clock_in";
    clock.direction = PinDirection::Out;
    clock.align = 0;
    clock.orientation = TextOrientation::Vertical;
    clock.clockMark = true;
    clock.busWidth = 12;
    graphic.AddPin(std::make_unique<SymbolPin>(clock));
    PinSpec both;
    both.x = 40;
    both.dy = 16;
    both.labelText = "-";
    both.direction = static_cast<PinDirection>(7);
    graphic.AddPin(std::make_unique<SymbolPin>(both));

    TextSpec name;
    name.x = 50;
    name.y = 1;
    name.text = "top";
    name.pointSize = 10;
    name.align = 1;
    name.gapY = 1;
    // The box measures the name's height anew, whatever height the text holds.
    graphic.AddText(std::make_unique<SymbolText>(name, 20, 99));
    TextSpec quoted;
    quoted.x = 30;
    quoted.y = 40;
    quoted.text = "say \"hi\"";
    quoted.pointSize = 10;
    quoted.gapX = 1;
    quoted.gapY = 1;
    graphic.AddText(std::make_unique<SymbolText>(quoted, 40, 15));
    TextSpec vertical = quoted;
    vertical.text = "up";
    vertical.orientation = TextOrientation::Vertical;
    graphic.AddText(std::make_unique<SymbolText>(vertical, 20, 15));
    TextSpec turned = quoted;
    turned.orientation = static_cast<TextOrientation>(2);
    graphic.AddText(std::make_unique<SymbolText>(turned, 20, 15));
    graphic.AddArc(std::make_unique<SymbolArc>(50, 60, 10, 60, 60, 50, 50, kSymbolBlack));
    graphic.AddCircle(std::make_unique<SymbolCircle>(20, 30, 4, kSymbolBlack));
    graphic.AddLine(std::make_unique<SymbolLine>(16, 112, 68, 0, kSymbolBlack, LineWeight::Thin));

    const int h10 = TextMeasurer("Arial", 10).Height("top");
    const TextMeasurer eight("Arial", 8);
    const int h7 = TextMeasurer("Arial", 7).Height("12");
    // Clock pin: stub from (100, 88) to (84, 88); label anchored at the outer end, vertical, align
    // 0 with gaps 4 and 1: bottom-left corner (101, 84). Mark at -8 + 100 - 4 = 88.
    // Dash pin: stub from (40, 0) to (40, 16), label horizontal at (44, 1).
    const std::string expected =
        "SYMBOL: BOX 100 128 40 " + std::to_string(126 - h10) + " Arial,10\n"
        "SYMBOL: LINE 16 16 84 16 SOLID THIN\n"
        "SYMBOL: CIRCLE 20 98 4 FALSE\n"
        "SYMBOL: ARC 50 68 60 68 50 78 10\n"
        "SYMBOL: TEXT \"say \"hi\"\" 31 " + std::to_string(128 - 41 - 15) + " HORIZ Arial,10\n"
        "SYMBOL: TEXT \"up\" 31 " + std::to_string(128 - 39) + " VERT Arial,10\n"
        "SYMBOL: LINE 84 36 92 44 SOLID THIN\n"
        "SYMBOL: TEXT \"12\" 89 " + std::to_string(128 - 89 - h7) + " HORIZ Arial,7\n"
        "SYMBOL: PINSTUB 100 40 OUT clock_in 101 44 \"clk\" VERT Arial,8\n"
        "SYMBOL: LINE 100 40 84 40 SOLID THIN\n"
        "SYMBOL: LINE 84 46 90 40 SOLID THIN\n"
        "SYMBOL: LINE 90 40 84 34 SOLID THIN\n"
        "SYMBOL: PINSTUB 40 128 BIDIR - 44 " + std::to_string(128 - 1 - eight.Height("-")) +
        " \"-\" HORIZ Arial,8\n"
        "SYMBOL: LINE 40 128 40 112 SOLID THIN\n";
    EXPECT_EQ(LinesOf(graphic), expected);
}

TEST(SymbolLines, NameTextIsOnlyInTheBox)
{
    SymbolGraphic graphic(200, 192);
    graphic.Reset(64, 128);
    TextSpec name;
    name.text = "";
    name.pointSize = 10;
    graphic.AddText(std::make_unique<SymbolText>(name));
    const std::string lines = LinesOf(graphic);
    EXPECT_EQ(lines.rfind("SYMBOL: BOX 64 128 0 ", 0), 0u) << lines;
    EXPECT_EQ(lines.find("TEXT"), std::string::npos) << lines;
    EXPECT_EQ(lines.find('\n'), lines.size() - 1) << lines;
}

} // namespace
