#include "model/interface_model.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {

// A quoted value whose closing quote never comes takes at most this many further tokens.
constexpr int maxAppendedTokens = 99;

// The next token as text, or empty text when the line ended early.
std::string NextField(LineTokenizer& tokens)
{
    std::string_view token;
    return tokens.Next(token) ? std::string(token) : std::string();
}

bool EndsWithQuote(const std::string& text)
{
    return !text.empty() && text.back() == '"';
}

// PRIVATE, PARAMETER and CONSTANT lines: name, type, then the value. A constant's trailing
// instance is not read back.
InterfaceEntry ReadValueEntry(LineTokenizer& tokens)
{
    InterfaceEntry entry;
    entry.name = NextField(tokens);
    entry.type = NextField(tokens);
    entry.value = ReadValueToken(tokens);
    return entry;
}

// USED_PORT lines; the ninth field, the instance, is not read back.
InterfaceEntry ReadPortEntry(LineTokenizer& tokens)
{
    InterfaceEntry entry;
    for (std::string* field :
         {&entry.name, &entry.width2, &entry.lsb2, &entry.width, &entry.lsb, &entry.type, &entry.value, &entry.busName})
        *field = NextField(tokens);
    return entry;
}

// CONNECT lines: the driven node and its four numbers, then the driving node and its four.
InterfaceEntry ReadConnectionEntry(LineTokenizer& tokens)
{
    InterfaceEntry entry;
    for (std::string* field : {&entry.targetName, &entry.targetWidth2, &entry.targetLsb2, &entry.targetWidth,
                               &entry.targetLsb, &entry.name, &entry.width2, &entry.lsb2, &entry.width, &entry.lsb})
        *field = NextField(tokens);
    return entry;
}

} // namespace

std::string ReadValueToken(LineTokenizer& tokens)
{
    std::string_view token;
    if (!tokens.Next(token))
        return std::string();
    std::string value(token);
    if (value.front() == '"') {
        // The words of a quoted value were split at its blanks; they are joined again with one blank
        // each until a word closes the quote. Once the line has run out, only blanks are added.
        for (int appended = 0; appended < maxAppendedTokens && !EndsWithQuote(value); ++appended) {
            value += ' ';
            if (tokens.Next(token))
                value += token;
        }
        // The opening and the closing quote go; a lone quote both opens and closes an empty value.
        value = value.size() >= 2 ? value.substr(1, value.size() - 2) : std::string();
    }
    return UnescapeValue(value);
}

namespace {

// Takes the next line of in without its end: LF, CR LF or a lone CR. Lines are read whole, however
// long, so the tail of a long value is never taken for a record. False at the end of the text or
// when reading failed (the stream is then marked bad).
bool ReadLine(std::istream& in, std::string& line)
{
    line.clear();
    std::streambuf* const buffer = in.rdbuf();
    if (buffer == nullptr || !in.good())
        return false;
    using Traits = std::char_traits<char>;
    try {
        Traits::int_type c = buffer->sbumpc();
        if (Traits::eq_int_type(c, Traits::eof())) {
            in.setstate(std::ios::eofbit);
            return false;
        }
        while (!Traits::eq_int_type(c, Traits::eof()) && c != '\n' && c != '\r') {
            line.push_back(Traits::to_char_type(c));
            c = buffer->sbumpc();
        }
        if (c == '\r' && buffer->sgetc() == '\n')
            buffer->sbumpc();
        if (Traits::eq_int_type(c, Traits::eof()))
            in.setstate(std::ios::eofbit);
    } catch (...) {
        // A file that cannot be read (an I/O error, or a line too long to hold) is never taken
        // for a shorter one.
        in.setstate(std::ios::badbit);
        return false;
    }
    return true;
}

} // namespace

bool InterfaceModel::Read(std::istream& in)
{
    std::string line;
    while (ReadLine(in, line)) {
        LineTokenizer tokens(line);
        std::string_view keyword;
        if (!tokens.Next(keyword))
            continue;
        if (keyword == "PRIVATE:")
            privates.Add(ReadValueEntry(tokens));
        else if (keyword == "PARAMETER:")
            parameters.Add(ReadValueEntry(tokens));
        else if (keyword == "CONSTANT:")
            constants.Add(ReadValueEntry(tokens));
        else if (keyword == "USED_PORT:")
            ports.Add(ReadPortEntry(tokens));
        else if (keyword == "CONNECT:")
            connections.Add(ReadConnectionEntry(tokens));
        // Header, MODULE and SYMBOL lines and anything unknown are read over.
    }
    return !in.bad();
}

bool InterfaceModel::ReadPrivates(std::istream& in, const std::vector<std::string>& names)
{
    std::string line;
    while (ReadLine(in, line)) {
        LineTokenizer tokens(line);
        std::string_view keyword;
        if (!tokens.Next(keyword) || keyword != "PRIVATE:")
            continue;
        InterfaceEntry entry = ReadValueEntry(tokens);
        if (std::find(names.begin(), names.end(), entry.name) != names.end() && privates.Find(entry.name) == nullptr)
            privates.Add(entry);
    }
    return !in.bad();
}
