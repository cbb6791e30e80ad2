// Feeds arbitrary bytes to the command-line tokenizer and parameter interpreter.
#include "host/wizard_command_line.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    HostValues host;
    WizardCommandLine line(host);
    std::string_view rest = text;
    std::string token;
    size_t consumed = rest.size();
    while (NextToken(rest, token)) {
        // Every call must take something away, or the tokenizer could loop for ever.
        if (rest.size() >= consumed && !rest.empty())
            std::abort();
        consumed = rest.size();
        bool isFlag = !token.empty() && (token[0] == '-' || token[0] == '/');
        if (isFlag)
            token.erase(0, 1);
        line.ParseParameter(token, isFlag, false);
        if (!isFlag && line.fileName != token)
            std::abort();
    }
    return 0;
}
