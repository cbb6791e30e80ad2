#include "design_files/symbol_svg.h"

#include "platform/printable_text.h"
#include "platform/utf8_text.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <sstream>
#include <vector>

namespace {

const char kPrefix[] = "SYMBOL: ";

struct Font {
    std::string family;
    int pixels = 0;
};

// "Arial,10": a point size, drawn like the preview at 96 pixels per inch, rounded.
bool ParseFont(const std::string& field, Font& font)
{
    const size_t comma = field.rfind(',');
    if (comma == std::string::npos || comma == 0)
        return false;
    std::istringstream size(field.substr(comma + 1));
    int points = 0;
    if (!(size >> points) || points <= 0 || points > 1000)
        return false;
    font.family = field.substr(0, comma);
    font.pixels = (points * 96 + 36) / 72;
    return true;
}

// Splits "head "quoted" tail" at the first and the last double quote: a text is written between
// quotes as it is, so it may hold quotes itself.
bool SplitQuoted(const std::string& rest, std::string& head, std::string& quoted, std::string& tail)
{
    const size_t open = rest.find('"');
    const size_t close = rest.rfind('"');
    if (open == std::string::npos || close == open)
        return false;
    head = rest.substr(0, open);
    quoted = rest.substr(open + 1, close - open - 1);
    tail = rest.substr(close + 1);
    return true;
}

// Coordinates are read as int but computed with in 64 bits, where a hand-edited file's extremes
// cannot overflow.
class SvgWriter {
public:
    explicit SvgWriter(int64_t height) : height_(height) {}

    // The SVG y of a file y.
    int64_t Y(int64_t fileY) const { return height_ - fileY; }

    // Writes text with the bottom-left corner of its box at the file point. The baseline lies the
    // font's descent (about a fifth of its size) above the box's bottom; a vertical text reads
    // upward, turned about that corner.
    void Text(int64_t x, int64_t fileY, const std::string& text, bool vertical, const Font& font)
    {
        const int64_t y = Y(fileY);
        const int64_t descent = (font.pixels + 2) / 5;
        body_ << "<text x=\"" << (vertical ? x + font.pixels - descent : x) << "\" y=\"" << (vertical ? y : y - descent)
              << "\" font-family=\"" << EscapeXml(font.family) << "\" font-size=\"" << font.pixels << "px\"";
        if (vertical)
            body_ << " transform=\"rotate(-90 " << x + font.pixels - descent << ' ' << y << ")\"";
        body_ << '>' << EscapeXml(text) << "</text>\n";
    }

    void Line(int64_t x1, int64_t y1, int64_t x2, int64_t y2, bool thick)
    {
        (thick ? thick_ : body_) << "<line x1=\"" << x1 << "\" y1=\"" << Y(y1) << "\" x2=\"" << x2 << "\" y2=\""
                                 << Y(y2) << "\" stroke-width=\"" << (thick ? 2 : 1) << "\"/>\n";
    }

    void Circle(int64_t x, int64_t y, int64_t radius)
    {
        body_ << "<circle cx=\"" << x << "\" cy=\"" << Y(y) << "\" r=\"" << radius << "\"/>\n";
    }

    // Counter-clockwise from the first point to the second, as the preview draws it.
    void Arc(int64_t x, int64_t y, int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t radius)
    {
        const double start = std::atan2(double(y1 - y), double(x1 - x));
        double sweep = std::atan2(double(y2 - y), double(x2 - x)) - start;
        while (sweep <= 0)
            sweep += 2 * std::numbers::pi;
        body_ << "<path d=\"M " << x1 << ' ' << Y(y1) << " A " << radius << ' ' << radius << " 0 "
              << (sweep > std::numbers::pi ? 1 : 0) << " 0 " << x2 << ' ' << Y(y2) << "\"/>\n";
    }

    std::string Shapes() const { return body_.str(); }
    std::string ThickLines() const { return thick_.str(); }

private:
    int64_t height_;
    std::ostringstream body_;
    std::ostringstream thick_;
};

bool Fail(std::string& error, const std::string& line)
{
    error = "cannot read the symbol line \"" + PrintableText(line) + "\"";
    return false;
}

// The symbol lines of retrieval information: the box and the name's place from the BOX line, the
// other lines kept to be drawn once the box's height is known.
struct SymbolSource {
    int width = -1;
    int height = -1;
    Font nameFont;
    int nameX = 0;
    int nameY = 0;
    std::vector<std::string> lines;
};

// False when a BOX line cannot be read or there is none; a later BOX line replaces an earlier one.
bool ReadSymbolLines(std::istream& retrievalInfo, SymbolSource& source, std::string& error)
{
    std::string line;
    while (std::getline(retrievalInfo, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind(kPrefix, 0) != 0)
            continue;
        std::istringstream fields(line.substr(sizeof kPrefix - 1));
        std::string keyword;
        fields >> keyword;
        if (keyword != "BOX") {
            source.lines.push_back(line);
            continue;
        }
        std::string font;
        if (!(fields >> source.width >> source.height >> source.nameX >> source.nameY >> font) || source.width < 0
            || source.height < 0 || !ParseFont(font, source.nameFont))
            return Fail(error, line);
    }
    if (source.width < 0) {
        error = "the retrieval information holds no symbol box";
        return false;
    }
    return true;
}

// Writes the text of a TEXT line, placed by the "x y" after the quoted text, or of a PINSTUB line,
// the pin's label, placed by the "x y" between the stub's point, direction and pin name and the
// quoted text. False when the line cannot be read.
bool DrawText(const std::string& keyword, std::istringstream& fields, SvgWriter& texts)
{
    std::string rest, head, quoted, tail;
    std::getline(fields, rest);
    if (!SplitQuoted(rest, head, quoted, tail))
        return false;
    std::istringstream before(head);
    std::istringstream after(tail);
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::string direction, pinName, orientation, fontField;
    if (keyword == "PINSTUB" && !(before >> x2 >> y2 >> direction >> pinName))
        return false;
    if (keyword == "PINSTUB" ? !(before >> x1 >> y1) : !(after >> x1 >> y1))
        return false;
    after >> orientation;
    std::getline(after >> std::ws, fontField);
    Font font;
    if ((orientation != "HORIZ" && orientation != "VERT") || !ParseFont(fontField, font))
        return false;
    texts.Text(x1, y1, quoted, orientation == "VERT", font);
    return true;
}

// Draws one symbol line, shapes and texts apart; a line of a kind not drawn is skipped. False when
// the line cannot be read.
bool DrawSymbolLine(const std::string& symbolLine, SvgWriter& shapes, SvgWriter& texts)
{
    std::istringstream fields(symbolLine.substr(sizeof kPrefix - 1));
    std::string keyword;
    fields >> keyword;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0, r = 0;
    if (keyword == "LINE") {
        std::string style, weight;
        if (!(fields >> x1 >> y1 >> x2 >> y2 >> style >> weight) || (weight != "THIN" && weight != "THICK"))
            return false;
        shapes.Line(x1, y1, x2, y2, weight == "THICK");
    } else if (keyword == "CIRCLE") {
        if (!(fields >> x1 >> y1 >> r))
            return false;
        shapes.Circle(x1, y1, r);
    } else if (keyword == "ARC") {
        int cx = 0, cy = 0;
        if (!(fields >> cx >> cy >> x1 >> y1 >> x2 >> y2 >> r))
            return false;
        shapes.Arc(cx, cy, x1, y1, x2, y2, r);
    } else if (keyword == "TEXT" || keyword == "PINSTUB") {
        return DrawText(keyword, fields, texts);
    }
    return true;
}

// The SVG document of a box width by height with what was drawn in it. Thin shapes are in a group
// shifted by half a pixel; see SymbolSvg.
std::string WriteSvg(int width, int height, const SvgWriter& shapes, const SvgWriter& texts)
{
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << int64_t(width) + 1 << "\" height=\""
        << int64_t(height) + 1 << "\" viewBox=\"0 0 " << int64_t(width) + 1 << ' ' << int64_t(height) + 1 << "\">\n"
        << "<g transform=\"translate(0.5 0.5)\" stroke=\"black\" stroke-linecap=\"square\" fill=\"none\">\n"
        << shapes.Shapes() << "</g>\n<g stroke=\"black\" stroke-linecap=\"square\">\n"
        << shapes.ThickLines() << "</g>\n<g fill=\"black\">\n"
        << texts.Shapes() << "</g>\n</svg>\n";
    return out.str();
}

} // namespace

std::string EscapeXml(const std::string& text)
{
    std::string escaped;
    for (size_t at = 0; at < text.size();) {
        const Utf8Character character = DecodeUtf8Character(text, at);
        const char32_t c = character.codePoint;
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        // Written as references, since a parser would turn them into blanks in an attribute value
        // and a carriage return into a line feed anywhere.
        case '\t':
            escaped += "&#9;";
            break;
        case '\n':
            escaped += "&#10;";
            break;
        case '\r':
            escaped += "&#13;";
            break;
        default: {
            // A byte outside well-formed UTF-8 (a surrogate among them) decodes as U+FFFD one byte
            // long; it is written as that character, as is every character XML 1.0 does not allow.
            const bool malformed = character.length == 1 && c == kReplacementCharacter;
            if (malformed || c < 0x20 || c == 0xFFFE || c == 0xFFFF)
                escaped += "\xEF\xBF\xBD";
            else
                escaped.append(text, at, character.length);
        }
        }
        at += character.length;
    }
    return escaped;
}

bool SymbolSvg(std::istream& retrievalInfo, const std::string& name, std::string& svg, std::string& error)
{
    SymbolSource source;
    if (!ReadSymbolLines(retrievalInfo, source, error))
        return false;

    // Shapes are drawn in the preview's pixel grid: a thin line through a point covers the pixel
    // whose top-left corner the point is, so thin shapes are shifted by half a pixel onto pixel
    // centres. A thick line covers that pixel and the one before it, so it stays where it is.
    SvgWriter shapes(source.height);
    SvgWriter texts(source.height);
    if (!name.empty())
        texts.Text(source.nameX, source.nameY, name, false, source.nameFont);
    for (const std::string& symbolLine : source.lines) {
        if (!DrawSymbolLine(symbolLine, shapes, texts))
            return Fail(error, symbolLine);
    }
    svg = WriteSvg(source.width, source.height, shapes, texts);
    return true;
}
