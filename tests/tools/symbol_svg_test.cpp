#include "tools/tarnwick/symbol_svg.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

// The SVG of the retrieval information text; empty with the error when it is refused.
std::string Svg(const std::string& cnx, const std::string& name = "")
{
    std::istringstream in(cnx);
    std::string svg;
    std::string error;
    if (!SymbolSvg(in, name, svg, error))
        return "refused: " + error;
    return svg;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

const char kBox[] = "SYMBOL: BOX 200 128 98 111 Arial,10\n";

} // namespace

TEST(EscapeXml, ReplacesTheFourMarkupCharactersOnly)
{
    EXPECT_EQ(EscapeXml("a&b<c>\"d' e"), "a&amp;b&lt;c&gt;&quot;d' e");
    EXPECT_EQ(EscapeXml("&amp;"), "&amp;amp;");
    EXPECT_EQ(EscapeXml(""), "");
}

TEST(SymbolSvg, CanvasIsTheBoxAndOnePixelForTheLinesOnItsFarEdges)
{
    const std::string svg = Svg(std::string("PRIVATE: X NUMERIC \"1\"\n") + kBox);
    EXPECT_TRUE(Contains(svg, "width=\"201\" height=\"129\" viewBox=\"0 0 201 129\"")) << svg;
}

TEST(SymbolSvg, LinesTurnYBackToGrowDownwardAndKeepTheirWeight)
{
    const std::string svg = Svg(std::string(kBox) + "SYMBOL: LINE 16 112 16 16 SOLID THIN\n"
                                                    "SYMBOL: LINE 200 104 184 104 SOLID THICK\n");
    EXPECT_TRUE(Contains(svg, "<line x1=\"16\" y1=\"16\" x2=\"16\" y2=\"112\" stroke-width=\"1\"/>")) << svg;
    EXPECT_TRUE(Contains(svg, "<line x1=\"200\" y1=\"24\" x2=\"184\" y2=\"24\" stroke-width=\"2\"/>")) << svg;
}

TEST(SymbolSvg, TextsSitOnTheirBottomLeftCornerInTheirFontAndSize)
{
    // 10 points are 13 pixels and 8 points 11 at 96 pixels per inch; the baseline lies the
    // descent, 3 and 2 pixels, above the corner.
    const std::string svg = Svg(std::string(kBox) + "SYMBOL: TEXT \"a<\"b\" 45 0 HORIZ Courier New,10\n"
                                                    "SYMBOL: PINSTUB 0 72 IN sync_in 20 65 \"s&y\" HORIZ Arial,8\n",
                                "f");
    EXPECT_TRUE(Contains(svg, "<text x=\"45\" y=\"125\" font-family=\"Courier New\" font-size=\"13px\">"
                              "a&lt;&quot;b</text>")) << svg;
    EXPECT_TRUE(Contains(svg, "<text x=\"20\" y=\"61\" font-family=\"Arial\" font-size=\"11px\">s&amp;y</text>"))
        << svg;
    // The name at the box's place for it, 111 above the bottom.
    EXPECT_TRUE(Contains(svg, "<text x=\"98\" y=\"14\" font-family=\"Arial\" font-size=\"13px\">f</text>")) << svg;
}

TEST(SymbolSvg, VerticalTextReadsUpwardFromItsCorner)
{
    const std::string svg = Svg(std::string(kBox) + "SYMBOL: TEXT \"v\" 10 20 VERT Arial,10\n");
    EXPECT_TRUE(Contains(svg, "<text x=\"20\" y=\"108\" font-family=\"Arial\" font-size=\"13px\" "
                              "transform=\"rotate(-90 20 108)\">v</text>")) << svg;
}

TEST(SymbolSvg, CirclesAndArcsAreTurnedLikeTheLines)
{
    const std::string svg = Svg(std::string(kBox) + "SYMBOL: CIRCLE 10 20 4 FALSE\n"
                                                    "SYMBOL: ARC 50 50 60 50 50 60 10\n"
                                                    "SYMBOL: ARC 50 50 50 60 60 50 10\n");
    EXPECT_TRUE(Contains(svg, "<circle cx=\"10\" cy=\"108\" r=\"4\"/>")) << svg;
    // A quarter turn counter-clockwise from the right to the top, then three quarters on.
    EXPECT_TRUE(Contains(svg, "<path d=\"M 60 78 A 10 10 0 0 0 50 68\"/>")) << svg;
    EXPECT_TRUE(Contains(svg, "<path d=\"M 50 68 A 10 10 0 1 0 60 78\"/>")) << svg;
}

TEST(SymbolSvg, RefusesRetrievalInformationWithoutABoxOrWithABrokenSymbolLine)
{
    EXPECT_EQ(Svg("SYMBOL: LINE 1 2 3 4 SOLID THIN\n"), "refused: the retrieval information holds no symbol box");
    for (const char* broken : {"SYMBOL: LINE 1 2 3 SOLID THIN", "SYMBOL: LINE 1 2 3 4 SOLID BOLD",
                               "SYMBOL: TEXT \"t\" 1 2 SIDEWAYS Arial,10", "SYMBOL: TEXT \"t\" 1 2 HORIZ Arial",
                               "SYMBOL: PINSTUB 0 72 IN a 20 \"a\" HORIZ Arial,8", "SYMBOL: BOX 200 Arial,10"}) {
        EXPECT_TRUE(Svg(std::string(kBox) + broken + "\n").starts_with("refused: cannot read the symbol line"))
            << broken;
    }
}
