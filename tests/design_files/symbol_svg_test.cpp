#include "design_files/symbol_svg.h"

#include "tests/tarnwick/tarnwick_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

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

TEST(EscapeXml, ReplacesMarkupAndWritesOnlyCharactersXmlAllows)
{
    const std::string replacement = "\xef\xbf\xbd";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a&b<c>\"d' e", "a&amp;b&lt;c&gt;&quot;d' e"},
        {"&amp;", "&amp;amp;"},
        {"", ""},
        // Blanks a parser would change are kept as references.
        {"a\tb\nc\rd", "a&#9;b&#10;c&#13;d"},
        // The other C0 controls are not XML characters.
        {std::string("a\0b\x01\x08\x0b\x0c\x1b[2J\x1f", 12),
         "a" + replacement + "b" + replacement + replacement + replacement + replacement + replacement + "[2J"
             + replacement},
        // DEL, the C1 controls, letters and the edges of the allowed ranges stay.
        {"\x7f\xc2\x85\xc2\x9f\xc3\xa4\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbd\xf0\x90\x80\x80\xf4\x8f\xbf\xbf",
         "\x7f\xc2\x85\xc2\x9f\xc3\xa4\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbd\xf0\x90\x80\x80\xf4\x8f\xbf\xbf"},
        // The non-characters U+FFFE and U+FFFF.
        {"a\xef\xbf\xbe\xef\xbf\xbf", "a" + replacement + replacement},
        // Bytes outside well-formed UTF-8, one replacement each: a lone byte, a cut sequence, an
        // overlong slash, a surrogate, a value past U+10FFFF.
        {"\xff<", replacement + "&lt;"},
        {"\xe2\x82", replacement + replacement},
        {"\xc0\xaf", replacement + replacement},
        {"\xed\xa0\x80", replacement + replacement + replacement},
        {"\xf4\x90\x80\x80", replacement + replacement + replacement + replacement},
    };
    for (const auto& [text, escaped] : cases) {
        SCOPED_TRACE(::testing::PrintToString(text));
        EXPECT_EQ(EscapeXml(text), escaped);
    }
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

namespace {

// The xmllint on PATH, or empty when there is none.
std::string Xmllint()
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = folder + "/xmllint";
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

std::filesystem::path ScratchFolder(const std::string& name)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path()
        / ("symbol_svg_test_" + name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

} // namespace

TEST(SymbolSvg, HostileNamesAndTextsGiveADocumentXmlParsersAccept)
{
    const std::string xmllint = Xmllint();
    if (xmllint.empty())
        GTEST_SKIP() << "xmllint is not installed";
    std::string everyByte;
    for (int c = 1; c < 256; ++c)
        everyByte += char(c);
    const std::vector<std::string> texts = {
        everyByte,
        std::string("nul\0inside", 10),
        "\x1b]0;title\x07",
        "\xef\xbf\xbe\xef\xbf\xbf\xed\xa0\x80\xf4\x90\x80\x80\xc0\xaf\xe2\x82",
        "]]><!-- &#0; &bogus;",
    };
    const std::filesystem::path folder = ScratchFolder("xmllint");
    for (const std::string& text : texts) {
        SCOPED_TRACE(::testing::PrintToString(text));
        // The text as the symbol's name, and as a TEXT line's text and its font's family without the
        // line ends, which would end the line (and the family without quotes, which end the text).
        std::string onOneLine = text;
        std::erase_if(onOneLine, [](char c) { return c == '\n' || c == '\r'; });
        std::string family = onOneLine;
        std::erase(family, '"');
        const std::string svg = Svg(std::string(kBox) + "SYMBOL: TEXT \"" + onOneLine + "\" 1 2 HORIZ " + family
                                        + ",10\n",
                                    text);
        ASSERT_TRUE(svg.starts_with("<?xml")) << svg;
        std::ofstream(folder / "symbol.svg", std::ios::binary) << svg;
        const ProcessRun run = RunProgram({xmllint, "--noout", "--nonet", "symbol.svg"}, folder);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
    }
    std::filesystem::remove_all(folder);
}

TEST(SymbolSvg, CoordinatesAtTheEdgesOfIntAreWrittenWhole)
{
    // The box's y turned at 2147483647; the lowest line y lies 2^32 - 1 below the top.
    const std::string svg = Svg("SYMBOL: BOX 2147483647 2147483647 -2147483648 -2147483648 Arial,10\n"
                                "SYMBOL: LINE -2147483648 -2147483648 2147483647 2147483647 SOLID THIN\n"
                                "SYMBOL: CIRCLE 2147483647 -2147483648 2147483647 FALSE\n"
                                "SYMBOL: ARC -2147483648 2147483647 2147483647 -2147483648 -2147483648 "
                                "-2147483648 2147483647\n"
                                "SYMBOL: TEXT \"v\" 2147483647 -2147483648 VERT Arial,10\n",
                                "n");
    EXPECT_TRUE(Contains(svg, "width=\"2147483648\" height=\"2147483648\" viewBox=\"0 0 2147483648 2147483648\""))
        << svg;
    EXPECT_TRUE(Contains(svg, "<line x1=\"-2147483648\" y1=\"4294967295\" x2=\"2147483647\" y2=\"0\" "
                              "stroke-width=\"1\"/>")) << svg;
    EXPECT_TRUE(Contains(svg, "<circle cx=\"2147483647\" cy=\"4294967295\" r=\"2147483647\"/>")) << svg;
    // About the top-left corner, counter-clockwise from the bottom-right one (45 degrees below the
    // horizontal) to the bottom-left one (straight down): seven eighths of a turn, the large arc.
    EXPECT_TRUE(Contains(svg, "<path d=\"M 2147483647 4294967295 A 2147483647 2147483647 0 1 0 -2147483648 "
                              "4294967295\"/>")) << svg;
    // 13 pixels and a descent of 3: the corner moves 10 to the right.
    EXPECT_TRUE(Contains(svg, "<text x=\"2147483657\" y=\"4294967295\" font-family=\"Arial\" font-size=\"13px\" "
                              "transform=\"rotate(-90 2147483657 4294967295)\">v</text>")) << svg;
    EXPECT_TRUE(Contains(svg, "<text x=\"-2147483648\" y=\"4294967292\" font-family=\"Arial\" font-size=\"13px\">"
                              "n</text>")) << svg;
}

