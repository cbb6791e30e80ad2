#include "symbol/symbol_description.h"

#include <algorithm>
#include <vector>

namespace {

// ", "-separated labels of the pins in one direction, from the top row down; pins on one row
// keep the order in which they were added.
std::string PinList(const SymbolGraphic& symbol, PinDirection direction)
{
    std::vector<const SymbolPin*> pins;
    for (const auto& pin : symbol.pins) {
        if (pin->direction == direction)
            pins.push_back(pin.get());
    }
    std::stable_sort(pins.begin(), pins.end(),
                     [](const SymbolPin* a, const SymbolPin* b) { return a->stub.y < b->stub.y; });
    std::string list;
    for (const SymbolPin* pin : pins) {
        if (!list.empty())
            list += ", ";
        list += pin->label.text;
    }
    return list;
}

void AppendSentence(std::string& description, const std::string& sentence)
{
    if (sentence.empty())
        return;
    if (!description.empty())
        description += ' ';
    description += sentence + '.';
}

} // namespace

std::string DescribeSymbol(const SymbolGraphic& symbol)
{
    std::string texts;
    for (const auto& text : symbol.texts) {
        if (text->text.empty())
            continue;
        if (!texts.empty())
            texts += ", ";
        texts += text->text;
    }
    std::string description;
    AppendSentence(description, texts);
    const struct {
        PinDirection direction;
        const char* heading;
    } groups[] = {
        {PinDirection::In, "Inputs: "}, {PinDirection::Out, "Outputs: "}, {PinDirection::Bidir, "Bidirectional: "}};
    for (const auto& group : groups) {
        const std::string pins = PinList(symbol, group.direction);
        if (!pins.empty())
            AppendSentence(description, group.heading + pins);
    }
    return description;
}
