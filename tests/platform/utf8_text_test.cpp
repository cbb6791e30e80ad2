#include "platform/utf8_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr char32_t R = kReplacementCharacter;

// Each byte that does not begin a well-formed sequence stands for one U+FFFD and takes one byte;
// what follows it is read afresh.
TEST(Utf8Text, DecodesWellFormedSequencesAndReplacesEveryOtherByte)
{
    const struct {
        const char* name;
        std::string text;
        std::u32string characters;
        std::vector<size_t> starts;
    } cases[] = {
        {"ASCII", "ab", U"ab", {0, 1}},
        {"two bytes", "j\xC3\xBC", U"j\u00FC", {0, 1}},
        {"three bytes", "\xE2\x82\xAC!", U"\u20AC!", {0, 3}},
        {"four bytes", "\xF0\x9F\x98\x80", U"\U0001F600", {0}},
        {"highest code point", "\xF4\x8F\xBF\xBF", U"\U0010FFFF", {0}},
        {"Latin-1 byte", "filt\xE9r", {U'f', U'i', U'l', U't', R, U'r'}, {0, 1, 2, 3, 4, 5}},
        {"stray continuation", "\x80" "a", {R, U'a'}, {0, 1}},
        {"cut short at the end", "a\xE2\x82", {U'a', R, R}, {0, 1, 2}},
        {"cut short by ASCII", "\xE2\x82" "a", {R, R, U'a'}, {0, 1, 2}},
        {"overlong two bytes", "\xC0\xAF", {R, R}, {0, 1}},
        {"overlong three bytes", "\xE0\x80\xAF", {R, R, R}, {0, 1, 2}},
        {"overlong four bytes", "\xF0\x80\x80\xAF", {R, R, R, R}, {0, 1, 2, 3}},
        {"surrogate", "\xED\xA0\x80", {R, R, R}, {0, 1, 2}},
        {"above U+10FFFF", "\xF4\x90\x80\x80", {R, R, R, R}, {0, 1, 2, 3}},
        {"no such lead byte", "\xF5\xFF", {R, R}, {0, 1}},
        {"NUL is a character", std::string("a\0b", 3), {U'a', U'\0', U'b'}, {0, 1, 2}},
        {"empty", "", U"", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeUtf8(c.text), c.characters);
        EXPECT_EQ(Utf8CharacterStarts(c.text), c.starts);
    }
}

} // namespace
