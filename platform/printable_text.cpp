#include "platform/printable_text.h"

namespace {

// The length of the well-formed UTF-8 sequence at the front of text when it encodes a printable
// character, otherwise 0. Overlong forms, surrogates and values past U+10FFFF are not well formed;
// the C1 controls U+0080 to U+009F are well formed but not printable.
size_t PrintableSequenceLength(std::string_view text)
{
    const unsigned char lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return lead >= 0x20 && lead != 0x7F && lead != '\\' ? 1 : 0;
    size_t length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code <= 0x9F)
        return 0;
    return length;
}

} // namespace

std::string PrintableText(std::string_view text)
{
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        const size_t length = PrintableSequenceLength(text);
        if (length > 0) {
            shown.append(text.substr(0, length));
            text.remove_prefix(length);
            continue;
        }
        const unsigned char byte = static_cast<unsigned char>(text[0]);
        text.remove_prefix(1);
        switch (byte) {
        case '\n':
            shown += "\\n";
            break;
        case '\r':
            shown += "\\r";
            break;
        case '\t':
            shown += "\\t";
            break;
        case '\\':
            shown += "\\\\";
            break;
        default:
            shown += "\\x";
            shown += kHexDigits[byte >> 4];
            shown += kHexDigits[byte & 0x0Fu];
        }
    }
    return shown;
}

std::string PrintableLines(std::string_view text)
{
    std::string shown;
    for (;;) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return shown + PrintableText(text);
        const size_t length = end > 0 && text[end - 1] == '\r' ? end - 1 : end;
        shown += PrintableText(text.substr(0, length)) + "\n";
        text.remove_prefix(end + 1);
    }
}
