#pragma once

#include <string_view>

// Splits one line of a retrieval-information file into tokens: runs of characters other than blank,
// tab, newline and carriage return. Every other byte, NUL included, belongs to a token. The line is
// not copied; it must outlive the tokenizer.
class LineTokenizer {
public:
    explicit LineTokenizer(std::string_view line) : rest_(line) {}

    // Stores the next token and returns true, or returns false when the line has no more.
    bool Next(std::string_view& token);

    static bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

private:
    std::string_view rest_;
};
