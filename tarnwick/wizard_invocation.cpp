#include "tarnwick/wizard_invocation.h"

#include "platform/display_command_line.h"

#include <unistd.h>

std::string WizardDesignArgument(const std::string& designPath)
{
    if (!designPath.empty() && designPath[0] == '-')
        return "./" + designPath;
    return designPath;
}

std::vector<std::string> WizardArguments(const TarnwickOptions& options, int hostId, const std::string& program)
{
    std::vector<std::string> args{program};
    if (options.newFile)
        args.push_back("-n");
    args.push_back("-h" + std::to_string(hostId));
    if (options.symbolFile)
        args.push_back("-symbol");
    if (options.pageOffset)
        args.push_back("-p" + std::to_string(*options.pageOffset));
    if (options.cornerX)
        args.push_back("-x" + std::to_string(*options.cornerX));
    if (options.cornerY)
        args.push_back("-y" + std::to_string(*options.cornerY));
    if (options.silent)
        args.push_back("-silent");
    args.push_back(WizardDesignArgument(options.designPath));
    return args;
}

std::string ChooseWizardProgram(const std::string& explicitPath, const std::string& selfPath)
{
    if (!explicitPath.empty())
        return explicitPath;
    const size_t slash = selfPath.rfind('/');
    if (slash != std::string::npos) {
        const std::string beside = selfPath.substr(0, slash + 1) + "zorvex";
        if (::access(beside.c_str(), X_OK) == 0)
            return beside;
    }
    return "zorvex";
}

bool CheckWizardArguments(const std::vector<std::string>& args, std::string& error)
{
    for (const std::string& arg : args) {
        if (arg.find('"') != std::string::npos) {
            error = "cannot start the wizard with " + DisplayCommandLine({arg})
                + ": its command line cannot carry a double quote";
            return false;
        }
    }
    return true;
}
