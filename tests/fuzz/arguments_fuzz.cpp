// Takes arbitrary bytes as the wizard's argument vector (arguments separated by NUL bytes) through
// the join into one command line and the start-up checks of the design path. Every argument the
// join accepts must come back from the tokenizer as it was: one argument is one design path.
#include "platform/path_split.h"
#include "host/wizard_command_line.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "arguments_fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> arguments{"zorvex"};
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('\0', start), text.size());
        arguments.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());

    if (UncarriableArgument(int(argv.size()), argv.data()) != nullptr)
        return 0;
    const std::string line = JoinArguments(int(argv.size()), argv.data());
    std::string_view rest = line;
    std::vector<std::string> tokens;
    for (std::string token; NextToken(rest, token);)
        tokens.push_back(token);
    Check(tokens == arguments, "the command line did not carry the arguments unchanged");

    HostValues host;
    WizardCommandLine commandLine(host);
    for (size_t i = 1; i < tokens.size(); ++i) {
        std::string token = tokens[i];
        const bool isFlag = !token.empty() && (token[0] == '-' || token[0] == '/');
        if (isFlag)
            token.erase(0, 1);
        commandLine.ParseParameter(token, isFlag, false);
    }
    const std::string designPath = TrimDesignPath(commandLine.fileName);
    const SplitPath split = SplitDesignPath(designPath);
    Check(split.directory + split.baseName + split.extension == designPath, "the design path split loses text");
    return 0;
}
