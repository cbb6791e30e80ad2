#include "platform/font_fallback.h"
#include "platform/font_file.h"
#include "symbol/symbol_font.h"
#include "symbol/text_measurer.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

namespace {

TEST(FontFile, ArialResolvesToLiberationSans)
{
    const std::string file = FindFontFile("Arial");
    EXPECT_NE(file.find("LiberationSans-Regular"), std::string::npos)
        << "\"Arial\" resolved to \"" << file
        << "\"; the symbol geometry needs Liberation Sans: install fonts-liberation2";
}

TEST(BuildSymbolFont, FieldsOfTheSymbolFont)
{
    // (points * 96 + 36) / -72 with truncation toward zero.
    const int heights[][2] = {{7, -9}, {8, -11}, {9, -12}, {10, -13}, {12, -16}, {0, 0}, {-8, 10}};
    for (const auto& h : heights)
        EXPECT_EQ(BuildSymbolFont(h[0], false, "Arial").height, h[1]) << h[0] << " points";

    const FontDescription font = BuildSymbolFont(8, false, "Arial");
    EXPECT_EQ((std::vector<int>{font.width, font.escapement, font.orientation, font.weight, font.italic,
                                font.underline, font.strikeOut, font.charSet, font.outPrecision,
                                font.clipPrecision, font.quality, font.pitchAndFamily}),
              (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 2, 0x30}));
    EXPECT_EQ(font.faceName, "Arial");

    const FontDescription vertical = BuildSymbolFont(8, true, std::string(40, 'x'));
    EXPECT_EQ(vertical.escapement, 900);
    EXPECT_EQ(vertical.orientation, 900);
    EXPECT_EQ(vertical.faceName, std::string(31, 'x'));
}

// Liberation Sans has 2048 units per em, an ascender of 1854 and a descender of -434 units, and
// the advances of Arial. At 11 pixels (8 points) the ascender rounds up to 10 and the descender
// down to -3; at 13 pixels (10 points) to 12 and -3. Advances round to whole pixels: "0" is 1139
// units (6.1 and 7.2 pixels), "l" 455 (2.4 and 2.9), "W" 1933 (10.4 and 12.3).
TEST(TextMeasurer, LiberationSansExtentsAtEightAndTenPoints)
{
    const TextMeasurer eight("Arial", 8);
    ASSERT_TRUE(eight.IsOpen());
    EXPECT_EQ(eight.Height("clock"), 13);
    EXPECT_EQ(eight.Width("0"), 6);
    EXPECT_EQ(eight.Width("l"), 2);
    EXPECT_EQ(eight.Width("W"), 10);
    EXPECT_EQ(eight.Width("W0l0"), 10 + 6 + 2 + 6);

    const TextMeasurer ten("Arial", 10);
    EXPECT_EQ(ten.Height("x"), 15);
    EXPECT_EQ(ten.Width("0"), 7);
    EXPECT_EQ(ten.Width("l"), 3);
    EXPECT_EQ(ten.Width("W"), 12);
}

TEST(TextMeasurer, WidthIgnoresKerningAndHeightIgnoresText)
{
    const TextMeasurer measurer("Arial", 10);
    // "AV" and "To" are kerned pairs in the face; the extent is the plain sum of advances.
    EXPECT_EQ(measurer.Width("AV"), measurer.Width("A") + measurer.Width("V"));
    EXPECT_EQ(measurer.Width("To"), measurer.Width("T") + measurer.Width("o"));
    EXPECT_EQ(measurer.Width(""), 0);
    EXPECT_EQ(measurer.Height(""), measurer.Height("Wg|"));
}

// Texts are UTF-8. "é" and "ü" advance as far as "e" and "u" (1139 units); read byte by byte as
// Latin-1 they would be "Ã©" and "Ã¼", 1366 + 1509 and 1366 + 1708 units. A byte that is not valid
// UTF-8 takes the room of U+FFFD, once for each such byte.
TEST(TextMeasurer, MeasuresTheCharactersOfUtf8Text)
{
    const TextMeasurer ten("Arial", 10);
    EXPECT_EQ(ten.Width("filt\xC3\xA9r"), ten.Width("filter"));
    EXPECT_EQ(ten.Width("j\xC3\xBCrgen"), ten.Width("jurgen"));

    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_GT(ten.Width(replacement), 0);
    EXPECT_EQ(ten.Width("filt\xE9r"), ten.Width("filt" + replacement + "r"));
    EXPECT_EQ(ten.Width("\xE2\x82"), 2 * ten.Width(replacement));
}

// Every ASCII character and every character the face has is drawn from the face's own file; one
// it lacks (Liberation Sans has no U+FFFD) from a file that has it, and it is measured there: its
// advance is the one FreeType gives for it in that file at the same pixel size.
TEST(TextMeasurer, CharacterTheFaceLacksIsMeasuredInTheFileThatDrawsIt)
{
    const std::string own = FindFontFile("Arial");
    EXPECT_EQ(FontFileForCharacter("Arial", U'a'), own);
    EXPECT_EQ(FontFileForCharacter("Arial", U'\u00E9'), own);

    const std::string file = FontFileForCharacter("Arial", 0xFFFD);
    if (file == own)
        GTEST_SKIP() << "no installed font has U+FFFD";
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(library, file.c_str(), 0, &face), 0);
    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, 13), 0);
    ASSERT_NE(FT_Get_Char_Index(face, 0xFFFD), 0u);
    ASSERT_EQ(FT_Load_Char(face, 0xFFFD, FT_LOAD_DEFAULT), 0);
    const int advance = int(face->glyph->advance.x >> 6);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    EXPECT_EQ(TextMeasurer("Arial", 10).Width("\xEF\xBF\xBD"), advance);
}

TEST(TextMeasurer, NoUsableFontGivesZeroExtents)
{
    const TextMeasurer zeroSize("Arial", 0);
    EXPECT_FALSE(zeroSize.IsOpen());
    EXPECT_EQ(zeroSize.Width("clock"), 0);
    EXPECT_EQ(zeroSize.Height("clock"), 0);
}

} // namespace
