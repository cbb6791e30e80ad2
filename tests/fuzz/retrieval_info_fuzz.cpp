// Reads arbitrary bytes as a retrieval-information file, writes the model back and reads that
// again. Wherever the written form is faithful, the second reading must give the first one's entries.
#include "model/interface_model.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "retrieval_info_fuzz: %s\n", what);
        std::abort();
    }
}

// Whether the text between the quotes of a written value is read back as it stands (before
// unescaping): words joined by single blanks and no other separator, no word but the last ending
// with a double quote (it would close the value early), and at most 100 words (the reader takes
// 99 more tokens after the first).
bool QuotedTextReadsBack(const std::string& text)
{
    if (text.empty())
        return true;
    if (text.front() == ' ' || text.back() == ' ')
        return false;
    int words = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ' ') {
            if (LineTokenizer::IsSeparator(text[i]))
                return false;
            continue;
        }
        if (text[i + 1] == ' ' || text[i - 1] == '"')
            return false;
        ++words;
    }
    return words <= 100;
}

// Name, type and a value line: a missing type would leave the written quotes in its place.
bool HasNameAndType(const InterfaceEntry& entry)
{
    return !entry.name.empty() && !entry.type.empty();
}

// Private values are written unescaped, so they must hold no escape sequence of their own.
bool PrivateReadsBack(const InterfaceEntry& entry)
{
    return HasNameAndType(entry) && QuotedTextReadsBack(entry.value) && UnescapeValue(entry.value) == entry.value;
}

// Escaped values lose their backslashes, which are written as "/".
bool EscapedReadsBack(const InterfaceEntry& entry)
{
    return HasNameAndType(entry) && entry.value.find('\\') == std::string::npos
        && QuotedTextReadsBack(EscapeValue(entry.value));
}

// Compares two lists entry by entry where faithful() says the entry survives writing; returns
// whether every entry did.
template <typename Faithful>
bool CompareList(const InterfaceList& first, const InterfaceList& second, Faithful faithful)
{
    Check(first.size() == second.size(), "a list changed its length");
    bool all = true;
    for (size_t i = 0; i < first.size(); ++i) {
        if (faithful(first[i]))
            Check(first[i] == second[i], "an entry changed between the two readings");
        else
            all = false;
    }
    return all;
}

std::string Written(const InterfaceModel& model)
{
    std::ostringstream out;
    Check(model.Write(out), "Write failed");
    return out.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InterfaceModel first;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    Check(first.Read(in), "Read failed");
    const std::string text = Written(first);

    InterfaceModel second;
    std::istringstream again(text);
    Check(second.Read(again), "second Read failed");

    // A private value holding a newline is written across two lines, and the second may be a record.
    for (const InterfaceEntry& entry : first.privates.entries()) {
        if (entry.value.find('\n') != std::string::npos)
            return 0;
    }
    const auto always = [](const InterfaceEntry&) { return true; };
    bool faithful = CompareList(first.privates, second.privates, PrivateReadsBack);
    faithful &= CompareList(first.constants, second.constants, EscapedReadsBack);
    faithful &= CompareList(first.parameters, second.parameters, EscapedReadsBack);
    faithful &= CompareList(first.ports, second.ports, always);
    faithful &= CompareList(first.connections, second.connections, always);
    if (faithful)
        Check(Written(second) == text, "the second writing differs from the first");
    return 0;
}
