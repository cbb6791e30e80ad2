#include "tarnwick/wizard_process.h"

#include "platform/printable_text.h"

bool StartWizard(ChildProcess& wizard, const std::string& program, const std::vector<std::string>& args,
                 std::string& error, StartFailure& failure, const std::string& workingDirectory, int handedDownFd)
{
    ChildOptions options;
    options.program = program;
    options.args = args;
    options.workingDirectory = workingDirectory;
    if (handedDownFd >= 0)
        options.keptFds.push_back(handedDownFd);
    options.endWithParent = true;
    std::string reason;
    if (wizard.Start(options, reason, failure))
        return true;
    error = "cannot start the wizard " + PrintableText(program) + ": " + reason;
    return false;
}
