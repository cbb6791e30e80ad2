#pragma once

#include "host/host_values.h"

#include <string>

// The parsed command line of the wizard. Options that describe the screen corner and the host's
// thread go straight to the process-wide host values, as the page base reads them from there.
class WizardCommandLine {
public:
    explicit WizardCommandLine(HostValues& host) : host_(host) {}

    // Interprets one token; isFlag when it began with '-' or '/' (already removed).
    // Returns false when the token was not understood (the caller shows the usage text).
    bool ParseParameter(const std::string& token, bool isFlag, bool isLast);

    std::string fileName;
    std::string textOption;
    int newFile = 0;
    int silent = 0;
    int hostThreadId = 0;
    int symbolFile = 0;
    int pageOffset = 0;

private:
    HostValues& host_;
};

// The next token of a command line, by the wizard's tokenizer: leading blanks and tabs are skipped,
// then a token starting with a double quote runs to the next double quote, any other to the next
// blank or tab; the delimiters after it are skipped. Returns false when nothing is left.
bool NextToken(std::string_view& rest, std::string& token);

// Joins program arguments into one command line; an argument holding a blank or tab (or nothing)
// is put in double quotes. The program name, which is never interpreted, loses any double quote,
// so that it always stays one token.
std::string JoinArguments(int argc, const char* const* argv);

// The first argument after the program name that the joined command line cannot carry unchanged:
// one holding a double quote, which would end or begin a quoted token inside it, or an empty one,
// whose quotes would take the arguments after it into one token with it.
const char* UncarriableArgument(int argc, const char* const* argv);

extern const char* const kUsageText;

// What "zorvex --help" prints: the options of kUsageText and the two questions, each explained,
// and the exit statuses.
extern const char* const kHelpText;
