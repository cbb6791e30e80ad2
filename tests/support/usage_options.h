#pragma once

#include <map>
#include <set>
#include <sstream>
#include <string>

// The options a usage text lists after its line "options:", up to the next empty line: each entry
// is two blanks, the option column, two or more blanks and the description. The column holds the
// options (short and long forms separated by ", "), their value names, and choices written a|b,
// each choice belonging to the option before it. Each option maps to its choices, most to none.
inline std::map<std::string, std::set<std::string>> UsageOptions(const std::string& usage)
{
    std::map<std::string, std::set<std::string>> options;
    std::istringstream lines(usage);
    bool inOptions = false;
    for (std::string line; std::getline(lines, line);) {
        if (line == "options:") {
            inOptions = true;
            continue;
        }
        if (line.empty())
            inOptions = false;
        if (!inOptions || line.rfind("  -", 0) != 0)
            continue;
        std::istringstream column(line.substr(2, line.find("  ", 2) - 2));
        std::string option;
        for (std::string word; column >> word;) {
            if (word.back() == ',')
                word.pop_back();
            if (word[0] == '-') {
                option = word;
                options[option];
            } else if (word.find('|') != std::string::npos) {
                std::istringstream alternatives(word);
                for (std::string choice; std::getline(alternatives, choice, '|');)
                    options[option].insert(choice);
            }
        }
    }
    return options;
}
