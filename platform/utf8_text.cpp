#include "platform/utf8_text.h"

namespace {

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

} // namespace

Utf8Character DecodeUtf8Character(std::string_view text, size_t offset)
{
    const auto byte = [&](size_t index) { return static_cast<unsigned char>(text[offset + index]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return {lead, 1};

    // The lead byte fixes the length and the range of the second byte; the ranges leave out
    // overlong forms, the surrogates and everything above U+10FFFF.
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return {kReplacementCharacter, 1};
    }
    if (text.size() - offset < length || byte(1) < low || byte(1) > high)
        return {kReplacementCharacter, 1};
    for (size_t index = 1; index < length; ++index) {
        if (!IsContinuation(byte(index)))
            return {kReplacementCharacter, 1};
        value = (value << 6) | (byte(index) & 0x3F);
    }
    return {value, length};
}

std::u32string DecodeUtf8(std::string_view text)
{
    std::u32string characters;
    for (size_t offset = 0; offset < text.size();) {
        const Utf8Character character = DecodeUtf8Character(text, offset);
        characters.push_back(character.codePoint);
        offset += character.length;
    }
    return characters;
}

std::vector<size_t> Utf8CharacterStarts(std::string_view text)
{
    std::vector<size_t> starts;
    for (size_t offset = 0; offset < text.size(); offset += DecodeUtf8Character(text, offset).length)
        starts.push_back(offset);
    return starts;
}
