#include "host/wizard_command_line.h"

#include "model/decimal.h"

const char* const kUsageText = "Command line options:\n\n"
                               "-n\t\tindicates that this is a new file (required)\n"
                               "<filename>\tfull path to file that must be created (required)\n\n"
                               "-h\t\tSpecifies the thread ID of the calling program (optional)\n"
                               "-symbol\tSpecifies that the calling program can generate a symbol file (optional)\n"
                               "-x\t\tSpecifies the screen x coordinate of the lower right corner (optional)\n"
                               "-y\t\tSpecifies the screen y coordinate of the lower right corner (optional)\n"
                               "-p\t\tSpecifies the first page offset (optional)\n"
                               "-silent\tSpecifies that the wizard should not show a UI.";

const char* const kHelpText =
    "Usage: zorvex [-n] [-silent] [-symbol] [-h<id>] [-x<X>] [-y<Y>] [-p<N>] <design file>\n"
    "       zorvex --help | --version\n"
    "\n"
    "Parameterises a symbol interleaver/deinterleaver core. On Finish it writes <design>.cnx beside\n"
    "the design file named (.vhd, .v or .tdf) and <design>.vec in the current folder, for the host\n"
    "to make the design from.\n"
    "\n"
    "  -n          a new variation: start from the default settings instead of <design>.cnx\n"
    "  -silent     show no pages: write the files at once\n"
    "  -symbol     the host can make a symbol file (listed on the summary page)\n"
    "  -h<id>      the host's id: every page exit is reported to it\n"
    "  -x<X>       screen x of the window's lower-right corner, in pixels\n"
    "  -y<Y>       screen y of the window's lower-right corner, in pixels\n"
    "  -p<N>       the number of host pages before the first page (enables Back on page 1)\n"
    "  --help      print this help and end\n"
    "  --version   print the version and end\n"
    "\n"
    "Exit status: 0 finished, 1 failed (a message says why), 2 cancelled, 3 back to the\n"
    "host's pages from the first page.\n";

bool WizardCommandLine::ParseParameter(const std::string& token, bool isFlag, bool /*isLast*/)
{
    if (!isFlag) {
        fileName = token;
        return true;
    }
    if (token == "symbol") {
        symbolFile = 1;
        return true;
    }
    if (token == "silent") {
        silent = 1;
        return true;
    }
    if (token.find('.') != std::string::npos) {
        // A flagged path such as "/home/d/f.v" lost its leading slash to the flag test.
        fileName = "/" + token;
        return true;
    }
    if (token.empty())
        return false;
    const std::string_view rest = std::string_view(token).substr(1);
    switch (token[0]) {
    case 'h':
        hostThreadId = ParseDecimal(rest);
        host_.hostThreadKnown = true;
        return true;
    case 'n':
        newFile = 1;
        return true;
    case 'p':
        pageOffset = ParseDecimal(rest);
        return true;
    case 't':
        textOption = std::string(rest);
        return true;
    case 'x':
        host_.cornerX = ParseDecimal(rest);
        host_.cornerKnown = true;
        return true;
    case 'y':
        host_.cornerY = ParseDecimal(rest);
        host_.cornerKnown = true;
        return true;
    default:
        return false;
    }
}

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

bool NextToken(std::string_view& rest, std::string& token)
{
    // Blanks are skipped before the delimiter set is chosen, so that a quoted token is recognised
    // wherever it stands, also right after another quoted token.
    size_t i = 0;
    while (i < rest.size() && IsBlank(rest[i]))
        ++i;
    if (i == rest.size()) {
        rest = {};
        return false;
    }
    const bool quoted = rest[i] == '"';
    auto isDelimiter = [quoted](char c) { return quoted ? c == '"' : IsBlank(c); };
    while (i < rest.size() && isDelimiter(rest[i]))
        ++i;
    const size_t start = i;
    while (i < rest.size() && !isDelimiter(rest[i]))
        ++i;
    token.assign(rest.substr(start, i - start));
    while (i < rest.size() && isDelimiter(rest[i]))
        ++i;
    rest = rest.substr(i);
    return true;
}

std::string JoinArguments(int argc, const char* const* argv)
{
    std::string line;
    for (int i = 0; i < argc; ++i) {
        std::string argument = argv[i];
        if (i == 0)
            std::erase(argument, '"');
        if (i > 0)
            line += ' ';
        const bool needsQuotes = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
        if (needsQuotes)
            line += '"';
        line += argument;
        if (needsQuotes)
            line += '"';
    }
    return line;
}

const char* UncarriableArgument(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.empty() || argument.find('"') != std::string_view::npos)
            return argv[i];
    }
    return nullptr;
}
