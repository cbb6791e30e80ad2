#include "platform/messages.h"

#include <cstdio>

void StderrMessages::Show(const std::string& title, const std::string& text)
{
    std::string line = title + ": " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}
