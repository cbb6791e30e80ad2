#pragma once

#include "tarnwick/tarnwick_options.h"

#include <string>
#include <vector>

// The wizard's argument list for a run under the host id hostId, program first, each value attached
// to its option letter as the wizard reads them: program [-n] -h<id> [-symbol] [-p<N>] [-x<X>]
// [-y<Y>] [-silent] DESIGN The design comes last, as WizardDesignArgument gives it.
std::vector<std::string> WizardArguments(const TarnwickOptions& options, int hostId, const std::string& program);

// The design path as the wizard must receive it to take it as its file name: a path starting with
// '-' would read as an option, so it gets a leading "./". Every other path is passed unchanged.
std::string WizardDesignArgument(const std::string& designPath);

// The wizard executable to start. An explicit path wins; otherwise the "zorvex" in the directory of
// tarnwick's own executable (selfPath) when that file is executable; otherwise plain "zorvex",
// which the starter looks up on the search path.
std::string ChooseWizardProgram(const std::string& explicitPath, const std::string& selfPath);

// Checks that the wizard will read back each argument of args unchanged. The wizard gets its
// arguments joined into one line, in which a double quote ends a quoted argument, so an argument
// holding one would reach it as other arguments. False naming the first such argument in error.
bool CheckWizardArguments(const std::vector<std::string>& args, std::string& error);
