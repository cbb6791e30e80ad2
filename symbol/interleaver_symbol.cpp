#include "symbol/interleaver_symbol.h"

#include "platform/utf8_text.h"
#include "symbol/text_measurer.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSymbolHeight = 128;
constexpr int kStubLength = 16;

// A bus label "name[high..0]", or the bare short name for a single bit.
std::string BusLabel(int width, const char* shortName, const char* busName)
{
    if (width < 2)
        return shortName;
    return std::string(busName) + "[" + std::to_string(width - 1) + "..0]";
}

struct PinLabels {
    std::string dataIn;
    std::string dataOut;
    std::string readAddress;
    std::string writeAddress;
};

PinLabels LabelsFor(const InterleaverSettings& settings)
{
    const int addressWidth = settings.addressWidth();
    PinLabels labels;
    labels.dataIn = BusLabel(settings.SYMBOL_WIDTH, "din", "din");
    labels.dataOut = BusLabel(settings.SYMBOL_WIDTH, "dout", "dout");
    labels.readAddress = BusLabel(addressWidth, "read", "read_addr");
    // The discrete block interleaver has one address bus for both directions; it wins when
    // restored flags ask for both algorithms.
    if (settings.continuousFlow())
        labels.writeAddress = BusLabel(addressWidth, "write", "write_addr");
    if (settings.BLOCK == 1)
        labels.writeAddress = BusLabel(addressWidth, "addr", "addr");
    return labels;
}

std::string Title(const InterleaverSettings& settings)
{
    const bool convolutional = settings.CONVOLUTIONAL == 1;
    const int first = convolutional ? settings.CHARACTERISTIC_I : settings.CHARACTERISTIC_J;
    const int second = convolutional ? settings.CHARACTERISTIC_J : settings.CHARACTERISTIC_I;
    return std::string(settings.INTERLEAVER == 1 ? "Interleaver" : "De-Interleaver") + " " + std::to_string(first)
        + " X " + std::to_string(second);
}

const char* Mode(const InterleaverSettings& settings)
{
    if (settings.CONVOLUTIONAL == 1)
        return "Convolutional";
    if (settings.BLOCK_CONTINOUS == 1)
        return "Block Continous";
    return "Block Discrete";
}

// Adds the pins of the symbol, each a stub of 16 with its label at the inner end, inputs on the
// left and outputs on the right.
class PinRows {
public:
    PinRows(SymbolGraphic& symbol, int width) : symbol_(symbol), width_(width) {}

    void Left(const std::string& label, int row, LineWeight weight = LineWeight::Thin)
    {
        Add(0, kStubLength, label, row, weight, PinDirection::In, 3);
    }

    void Right(const std::string& label, int row, LineWeight weight = LineWeight::Thin)
    {
        Add(width_, -kStubLength, label, row, weight, PinDirection::Out, 5);
    }

private:
    SymbolGraphic& symbol_;
    int width_;

    void Add(int x, int dx, const std::string& label, int row, LineWeight weight, PinDirection direction, int align)
    {
        PinSpec spec;
        spec.x = x;
        spec.y = row;
        spec.dx = dx;
        spec.dy = 0;
        spec.labelText = label;
        spec.pinName = label;
        spec.thick = weight;
        spec.direction = direction;
        spec.align = align;
        spec.labelAtInnerEnd = true;
        spec.orientation = TextOrientation::Horizontal;
        symbol_.AddPin(std::make_unique<SymbolPin>(spec));
    }
};

void AddCentredText(SymbolGraphic& symbol, int x, int y, const std::string& text)
{
    TextSpec spec;
    spec.x = x;
    spec.y = y;
    spec.text = text;
    spec.colour = kSymbolTeal;
    spec.pointSize = 10;
    spec.align = 1;
    spec.orientation = TextOrientation::Horizontal;
    spec.fontName = "Arial";
    spec.gapX = 1;
    spec.gapY = 1;
    symbol.AddText(std::make_unique<SymbolText>(spec));
}

void AddBodyLine(SymbolGraphic& symbol, int x, int y, int dx, int dy)
{
    symbol.AddLine(std::make_unique<SymbolLine>(x, y, dx, dy, kSymbolBlack, LineWeight::Thin));
}

} // namespace

std::string FitToWidth(const std::string& baseName, int limit, int pointSize, const std::string& fontName)
{
    // The name's length is counted in characters, not bytes, so that a name of characters that
    // take several bytes each is shortened like any other instead of being dropped.
    const std::vector<size_t> starts = Utf8CharacterStarts(baseName);
    if (starts.size() >= 255)
        return {};
    const TextMeasurer measurer(fontName, pointSize);
    if (measurer.Width(baseName) <= limit)
        return baseName;
    // Characters are taken off the end one at a time, whole: a character of several bytes is
    // never cut, and a byte that is not valid UTF-8 goes as the one character it stands for.
    for (auto start = starts.rbegin(); start != starts.rend(); ++start) {
        const std::string candidate = baseName.substr(0, *start) + "...";
        if (measurer.Width(candidate) <= limit)
            return candidate;
    }
    return {};
}

void LayOutInterleaverSymbol(SymbolGraphic& symbol, const InterleaverSettings& settings, const std::string& baseName)
{
    // Every label is measured whatever the memory setting, so that switching between internal
    // and external memory keeps the symbol's width.
    const PinLabels labels = LabelsFor(settings);
    const TextMeasurer labelFont("Arial", 8);
    const int addressLabelWidth = std::max(labelFont.Width(labels.readAddress), labelFont.Width(labels.writeAddress));
    const int dataLabelWidth =
        std::max({labelFont.Width(labels.dataIn), labelFont.Width(labels.dataOut), labelFont.Width("clock")});

    const std::string name = FitToWidth(baseName, ReferenceSymbolWidth() - 8, 10, "Arial");
    const int width = RoundUp8(addressLabelWidth + 8) + RoundUp8(dataLabelWidth + 8) + 48;

    symbol.Reset(width, kSymbolHeight);
    AddCentredText(symbol, width / 2, 1, name);
    AddCentredText(symbol, width / 2, 112, Title(settings));
    AddCentredText(symbol, width / 2, 95, Mode(settings));

    AddBodyLine(symbol, 16, 16, 0, 96);
    AddBodyLine(symbol, width - 16, 16, 0, 96);
    AddBodyLine(symbol, 16, 16, width - 32, 0);
    AddBodyLine(symbol, 16, 112, width - 32, 0);

    PinRows pins(symbol, width);
    pins.Left("sync_in", 56);
    pins.Left("clken", 72);
    pins.Left("clock", 88);
    if (settings.EXTERNAL_DPRAM == 1) {
        const LineWeight addressWeight = settings.addressWidth() > 1 ? LineWeight::Thick : LineWeight::Thin;
        if (settings.continuousFlow()) {
            pins.Right(labels.writeAddress, 24, addressWeight);
            pins.Right(labels.readAddress, 40, addressWeight);
            pins.Right("sync_out", 56);
        }
        if (settings.BLOCK == 1) {
            pins.Right(labels.writeAddress, 24, addressWeight);
            pins.Right("write_enable", 56);
            pins.Right("block_full", 72);
            pins.Right("block_empty", 88);
        }
    } else {
        const LineWeight dataWeight = settings.SYMBOL_WIDTH > 1 ? LineWeight::Thick : LineWeight::Thin;
        pins.Right(labels.dataOut, 24, dataWeight);
        pins.Left(labels.dataIn, 24, dataWeight);
        if (settings.continuousFlow())
            pins.Right("sync_out", 56);
        if (settings.BLOCK == 1) {
            pins.Right("dout_valid", 56);
            pins.Right("next_din", 72);
        }
    }
}
