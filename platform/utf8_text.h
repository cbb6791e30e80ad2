#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One character of a UTF-8 text: its code point and the number of bytes it takes. A byte that
// does not begin a well-formed sequence (a stray continuation byte, an overlong form, a surrogate,
// a value above U+10FFFF, a sequence cut short) is a character of its own: U+FFFD, one byte long.
struct Utf8Character {
    char32_t codePoint = 0;
    size_t length = 0;
};

constexpr char32_t kReplacementCharacter = 0xFFFD;

// The character that begins at offset; offset must lie inside the text.
Utf8Character DecodeUtf8Character(std::string_view text, size_t offset);

// The characters of the text in order.
std::u32string DecodeUtf8(std::string_view text);

// The byte offset at which each character of the text begins, in order; empty for an empty text.
std::vector<size_t> Utf8CharacterStarts(std::string_view text);
