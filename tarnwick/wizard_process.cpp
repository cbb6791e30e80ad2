#include "tarnwick/wizard_process.h"

#include "platform/design_lock.h"
#include "platform/printable_text.h"

#include <cstdlib>
#include <sys/stat.h>

namespace {

// The wizard's environment: tarnwick's, with the design's lock named only when it is handed down,
// and, when there is no session bus to talk to, an address that fails at once, so that the pages
// never start a bus daemon of their own that would outlive them.
std::vector<std::string> WizardEnvironment(int handedDownFd)
{
    std::vector<std::string> environment = EnvironmentWithout(kInheritedDesignLockVariable);
    if (handedDownFd >= 0)
        environment.push_back(std::string(kInheritedDesignLockVariable) + "=" + std::to_string(handedDownFd));
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat socket {};
    const bool userBus = runtime != nullptr && *runtime != '\0'
        && ::stat((std::string(runtime) + "/bus").c_str(), &socket) == 0 && S_ISSOCK(socket.st_mode);
    if ((bus == nullptr || *bus == '\0') && !userBus)
        environment.push_back("DBUS_SESSION_BUS_ADDRESS=disabled:");
    return environment;
}

} // namespace

bool StartWizard(ChildProcess& wizard, const std::string& program, const std::vector<std::string>& args,
                 std::string& error, StartFailure& failure, const std::string& workingDirectory, int handedDownFd)
{
    ChildOptions options;
    options.program = program;
    options.args = args;
    options.workingDirectory = workingDirectory;
    if (handedDownFd >= 0)
        options.keptFds.push_back(handedDownFd);
    options.environment = WizardEnvironment(handedDownFd);
    options.endWithParent = true;
    std::string reason;
    if (wizard.Start(options, reason, failure))
        return true;
    error = "cannot start the wizard " + PrintableText(program) + ": " + reason;
    return false;
}
