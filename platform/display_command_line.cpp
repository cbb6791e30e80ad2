#include "platform/display_command_line.h"

#include "platform/printable_text.h"

#include <algorithm>
#include <cctype>
#include <cstring>

std::string DisplayCommandLine(const std::vector<std::string>& args)
{
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty())
            line += ' ';
        const std::string printable = PrintableText(arg);
        if (printable != arg) {
            line += "$'";
            for (const char c : printable) {
                if (c == '\'')
                    line += '\\';
                line += c;
            }
            line += '\'';
            continue;
        }
        // Only characters no shell gives a meaning are left bare: braces, brackets, ~, !, #, = and
        // the rest are quoted too.
        const bool plain = !arg.empty() && std::all_of(arg.begin(), arg.end(), [](char c) {
            const unsigned char u = static_cast<unsigned char>(c);
            return std::isalnum(u) || u >= 0x80 || std::strchr("/._+,@%:-", c) != nullptr;
        });
        if (plain) {
            line += arg;
            continue;
        }
        line += ShellQuoted(arg);
    }
    return line;
}

std::string ShellQuoted(const std::string& word)
{
    std::string text = "'";
    for (const char c : word) {
        if (c == '\'')
            text += "'\\''";
        else
            text += c;
    }
    return text + "'";
}
