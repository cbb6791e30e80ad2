#include "symbol/symbol_description.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Pin {
    const char* label;
    PinDirection direction;
    int row;
};

struct DescriptionCase {
    const char* what;
    std::vector<std::string> texts;
    std::vector<Pin> pins;
    const char* description;
};

TEST(SymbolDescription, TextsThenPinsByDirectionFromTheTopRowDown)
{
    const DescriptionCase cases[] = {
        {"empty symbol", {}, {}, ""},
        // A name too long for the symbol is drawn empty: it is left out, not read as a blank.
        {"texts and pins in mixed order",
         {"", "Interleaver 12 X 17", "Convolutional"},
         {{"c", PinDirection::In, 40},
          {"q", PinDirection::Out, 24},
          {"a", PinDirection::In, 24},
          {"io", PinDirection::Bidir, 8},
          {"b", PinDirection::In, 40}},
         "Interleaver 12 X 17, Convolutional. Inputs: a, c, b. Outputs: q. Bidirectional: io."},
        {"outputs only", {}, {{"dout", PinDirection::Out, 24}}, "Outputs: dout."},
    };
    for (const DescriptionCase& c : cases) {
        SCOPED_TRACE(c.what);
        SymbolGraphic symbol(200, 192);
        symbol.Reset(100, 128);
        for (const std::string& text : c.texts) {
            TextSpec spec;
            spec.text = text;
            symbol.AddText(std::make_unique<SymbolText>(spec, 10, 10));
        }
        for (const Pin& pin : c.pins) {
            PinSpec spec;
            spec.y = pin.row;
            spec.dx = 16;
            spec.labelText = pin.label;
            spec.direction = pin.direction;
            symbol.AddPin(std::make_unique<SymbolPin>(spec));
        }
        EXPECT_EQ(DescribeSymbol(symbol), c.description);
    }
}

} // namespace
