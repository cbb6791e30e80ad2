#include "symbol/symbol_graphic.h"
#include "symbol/text_measurer.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(SymbolGraphic, FreshGraphicIsEmptyWithMarginOrigin)
{
    const SymbolGraphic graphic(ReferenceSymbolWidth(), 192);
    EXPECT_EQ(graphic.panelWidth(), ReferenceSymbolWidth() + 16);
    EXPECT_EQ(graphic.panelHeight, 208);
    EXPECT_EQ(graphic.symbolWidth, 0);
    EXPECT_EQ(graphic.symbolHeight, 0);
    EXPECT_EQ(graphic.originX, 8);
    EXPECT_EQ(graphic.originY, 8);
    std::ostringstream out;
    graphic.WriteSymbolLines(out);
    EXPECT_EQ(out.str(), "");
}

TEST(SymbolGraphic, ResetEmptiesEveryListAndPlacesTheSymbol)
{
    SymbolGraphic graphic(200, 192);
    graphic.Reset(100, 60);
    graphic.AddLine(std::make_unique<SymbolLine>(0, 0, 5, 5, kSymbolBlack, LineWeight::Thin));
    graphic.AddCircle(std::make_unique<SymbolCircle>(5, 5, 3, kSymbolBlack));
    graphic.AddArc(std::make_unique<SymbolArc>(5, 5, 3, 8, 5, 5, 2, kSymbolBlack));
    graphic.AddText(std::make_unique<SymbolText>(TextSpec{}, 10, 10));
    PinSpec bus;
    bus.dx = 16;
    bus.labelText = "d";
    bus.busWidth = 8;
    graphic.AddPin(std::make_unique<SymbolPin>(bus));

    graphic.Reset(120, 128);
    EXPECT_EQ(graphic.symbolWidth, 120);
    EXPECT_EQ(graphic.symbolHeight, 128);
    EXPECT_EQ(graphic.originX, 216 - 120 - 8);
    EXPECT_EQ(graphic.originY, 40);
    EXPECT_TRUE(graphic.lines.empty());
    EXPECT_TRUE(graphic.circles.empty());
    EXPECT_TRUE(graphic.arcs.empty());
    EXPECT_TRUE(graphic.texts.empty());
    EXPECT_TRUE(graphic.pins.empty());

    // An odd difference truncates.
    graphic.Reset(120, 127);
    EXPECT_EQ(graphic.originY, 40);
}

TEST(SymbolGraphic, AddingGivesEveryElementAndPinPartTheCurrentOrigin)
{
    SymbolGraphic graphic(200, 192);
    graphic.Reset(100, 128);
    PinSpec bus;
    bus.dx = 16;
    bus.labelText = "d";
    bus.busWidth = 8;
    graphic.AddPin(std::make_unique<SymbolPin>(bus));
    graphic.AddText(std::make_unique<SymbolText>(TextSpec{}, 10, 10));
    graphic.AddLine(nullptr);

    const SymbolPin& pin = *graphic.pins.at(0);
    for (const SymbolElement* part : {static_cast<const SymbolElement*>(&pin.stub),
                                      static_cast<const SymbolElement*>(&pin.label),
                                      static_cast<const SymbolElement*>(pin.widthMark.get()),
                                      static_cast<const SymbolElement*>(pin.widthText.get()),
                                      static_cast<const SymbolElement*>(graphic.texts.at(0).get())}) {
        EXPECT_EQ(part->originX, 108);
        EXPECT_EQ(part->originY, 40);
    }
    EXPECT_EQ(pin.originX, 108);
    EXPECT_EQ(pin.originY, 40);
    EXPECT_TRUE(graphic.lines.empty());
}

TEST(SymbolGraphic, RoundUp8)
{
    const int cases[][2] = {{0, 0}, {1, 8}, {8, 8}, {9, 16}, {89, 96}, {-1, 0}, {-9, 0}, {-15, -8}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundUp8(c[0]), c[1]) << c[0];
}

// "write_addr[15..0]" in Liberation Sans at 11 pixels, each advance rounded from 2048 units per
// em: w 8, r 4, i 2, t 3, e 6, _ 6, a 6, d 6, d 6, r 4, [ 3, 1 6, 5 6, . 3, . 3, 0 6, ] 3 = 81;
// 2 x RoundUp8(89) + 48 = 240.
TEST(SymbolGraphic, ReferenceSymbolWidthOfTheWidestAddressLabel)
{
    EXPECT_EQ(TextMeasurer("Arial", 8).Width("write_addr[15..0]"), 81);
    EXPECT_EQ(ReferenceSymbolWidth(), 240);
}

} // namespace
