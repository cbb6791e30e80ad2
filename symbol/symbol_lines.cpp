// The symbol lines of the block symbol, appended at the end of the retrieval information. File
// coordinates count y upward from the symbol's bottom edge: every y is written as H - y with H
// the symbol height; x is written unchanged.

#include "symbol/symbol_graphic.h"

#include "symbol/text_measurer.h"

#include <initializer_list>
#include <string>

namespace {

// Joins the numbers with single blanks, each as plain signed decimal whatever the stream's locale.
std::string Numbers(std::initializer_list<int> values)
{
    std::string joined;
    for (const int value : values) {
        if (!joined.empty())
            joined += ' ';
        joined += std::to_string(value);
    }
    return joined;
}

std::string Quoted(const std::string& text)
{
    return '"' + text + '"';
}

std::string FontField(const std::string& fontName, int pointSize)
{
    return fontName + ',' + std::to_string(pointSize);
}

void WriteLine(std::ostream& file, int x1, int y1, int x2, int y2, bool thick)
{
    file << "SYMBOL: LINE " << Numbers({x1, y1, x2, y2}) << " SOLID " << (thick ? "THICK" : "THIN") << '\n';
}

void WriteLine(std::ostream& file, const SymbolLine& line, int height)
{
    WriteLine(file, line.x, height - line.y, line.x + line.dx, height - (line.y + line.dy),
              line.thick != LineWeight::Thin);
}

// The bottom-left corner of a text's box in file coordinates: a horizontal text's reference point
// is its top-left corner, a vertical text's already its bottom-left corner.
std::string TextCorner(const SymbolText& text, int height)
{
    if (text.orientation == TextOrientation::Horizontal)
        return Numbers({text.refX, height - text.refY - text.textHeight});
    return Numbers({text.refX, height - text.refY});
}

const char* OrientationKeyword(TextOrientation orientation)
{
    return orientation == TextOrientation::Horizontal ? "HORIZ" : "VERT";
}

void WriteText(std::ostream& file, const SymbolText& text, int height)
{
    // Only the two orientations the file knows are written.
    if (text.orientation != TextOrientation::Horizontal && text.orientation != TextOrientation::Vertical)
        return;
    file << "SYMBOL: TEXT " << Quoted(text.text) << ' ' << TextCorner(text, height) << ' '
         << OrientationKeyword(text.orientation) << ' ' << FontField(text.fontName, text.pointSize) << '\n';
}

const char* DirectionKeyword(PinDirection direction)
{
    switch (direction) {
    case PinDirection::In:
        return "IN";
    case PinDirection::Out:
        return "OUT";
    default:
        return "BIDIR";
    }
}

void WritePin(std::ostream& file, const SymbolPin& pin, int height)
{
    if (pin.widthMark)
        WriteLine(file, *pin.widthMark, height);
    if (pin.widthText)
        WriteText(file, *pin.widthText, height);

    const SymbolLine& stub = pin.stub;
    const SymbolText& label = pin.label;
    // Every pin label is "Arial" 8, so the font is written as such.
    file << "SYMBOL: PINSTUB " << Numbers({stub.x, height - stub.y}) << ' ' << DirectionKeyword(pin.direction) << ' '
         << pin.pinName << ' ' << TextCorner(label, height) << ' ' << Quoted(label.text) << ' '
         << OrientationKeyword(label.orientation) << ' ' << FontField("Arial", 8) << '\n';
    WriteLine(file, stub, height);

    if (pin.clockMark) {
        const int innerX = stub.x + stub.dx;
        const int innerY = height - (stub.y + stub.dy);
        WriteLine(file, innerX, innerY + 6, innerX + 6, innerY, false);
        WriteLine(file, innerX + 6, innerY, innerX, innerY - 6, false);
    }
}

} // namespace

bool SymbolGraphic::WriteSymbolLines(std::ostream& file) const
{
    const int height = symbolHeight;
    if (!texts.empty()) {
        // The box carries the symbol's size and the place and font of its name, whose height is
        // measured anew in the name's font.
        const SymbolText& name = *texts.front();
        const int nameHeight = TextMeasurer(name.fontName, name.pointSize).Height(name.text);
        file << "SYMBOL: BOX " << Numbers({symbolWidth, height, name.refX, height - name.refY - nameHeight}) << ' '
             << FontField(name.fontName, name.pointSize) << '\n';
    }
    for (const auto& line : lines)
        WriteLine(file, *line, height);
    for (const auto& circle : circles)
        file << "SYMBOL: CIRCLE " << Numbers({circle->x, height - circle->y, circle->radius}) << " FALSE\n";
    for (const auto& arc : arcs)
        file << "SYMBOL: ARC "
             << Numbers({arc->x, height - arc->y, arc->x1, height - arc->y1, arc->x2, height - arc->y2, arc->radius})
             << '\n';
    for (size_t i = 1; i < texts.size(); ++i)
        WriteText(file, *texts[i], height);
    for (const auto& pin : pins)
        WritePin(file, *pin, height);
    return true;
}
