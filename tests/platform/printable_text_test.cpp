#include "platform/printable_text.h"

#include <gtest/gtest.h>

namespace {

TEST(PrintableText, EscapesWhatATerminalWouldActOnAndKeepsTheRest)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/d/f.vhd", "/d/f.vhd"},
        {"a b'\"$~", "a b'\"$~"},
        {"a\nb\rc\td", "a\\nb\\rc\\td"},
        {"c:\\f", "c:\\\\f"},
        {"\\n", "\\\\n"},
        {std::string("\0\x01\x1b[2J\x1f\x7f", 8), "\\x00\\x01\\x1b[2J\\x1f\\x7f"},
        // UTF-8 letters stay; the C1 controls from U+0080 to U+009F do not, the no-break space
        // after them does.
        {"\xc3\xa4\xe2\x82\xac\xf0\x9f\x98\x80", "\xc3\xa4\xe2\x82\xac\xf0\x9f\x98\x80"},
        {"\xc2\x85\xc2\x9b\xc2\xa0", "\\xc2\\x85\\xc2\\x9b\xc2\xa0"},
        {"\xc2\x80\xc2\x9f\xc2\xa0", "\\xc2\\x80\\xc2\\x9f\xc2\xa0"},
        // Bytes outside well-formed UTF-8: a lone 8-bit CSI, a cut sequence, an overlong slash,
        // a surrogate, a value past U+10FFFF.
        {"\x9b" "1m", "\\x9b1m"},
        {"\xe2\x82", "\\xe2\\x82"},
        {"\xc0\xaf", "\\xc0\\xaf"},
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
    };
    for (const auto& [text, shown] : cases) {
        SCOPED_TRACE(::testing::PrintToString(text));
        EXPECT_EQ(PrintableText(text), shown);
    }
}

TEST(PrintableLines, KeepsLineEndsAndEscapesEverythingElse)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\nb\n", "a\nb\n"},
        {"unit \"x\" not found\r\n  use work.x;\n\t^", "unit \"x\" not found\n  use work.x;\n\\t^"},
        {"\x1b[2J\nlast", "\\x1b[2J\nlast"},
        {"\r\n", "\n"},
    };
    for (const auto& [text, shown] : cases) {
        SCOPED_TRACE(::testing::PrintToString(text));
        EXPECT_EQ(PrintableLines(text), shown);
    }
}

} // namespace
