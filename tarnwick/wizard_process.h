#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// Why the wizard could not be started: no program at its path or on the search path, or a program
// that is there but cannot be run (no permission to execute it, not an executable, out of memory).
enum class StartFailure { NotFound, NotStartable };

// The wizard as a child process: started without a command interpreter, watched through a
// descriptor that poll() reports readable once the process has ended.
class WizardProcess {
public:
    WizardProcess() = default;
    WizardProcess(const WizardProcess&) = delete;
    WizardProcess& operator=(const WizardProcess&) = delete;
    // Closes the descriptor. A process still running is left to run; it is not waited for.
    ~WizardProcess();

    // Starts program with args (args[0] becomes the process's own name). A program name without a
    // '/' is looked up on the search path. The child gets the default action for SIGINT, SIGQUIT,
    // SIGTERM, SIGHUP and SIGPIPE and an empty signal mask, whatever tarnwick itself has set, and
    // is sent SIGTERM when tarnwick ends, so that no wizard outlives its host. False with the
    // reason in error and its kind in failure.
    // A workingDirectory that is not empty becomes the child's current directory; a handedDownFd
    // of 0 or more stays open in the child under its number.
    bool Start(const std::string& program, const std::vector<std::string>& args, std::string& error,
               StartFailure& failure, const std::string& workingDirectory = std::string(), int handedDownFd = -1);

    // Sends signal to the process while it runs.
    void Signal(int signal) const;

    // Readable when the process has ended; -1 when the kernel offers no process descriptor, in
    // which case the caller checks with TryWait from time to time.
    int exitFd() const { return exitFd_; }

    // Collects the ended process's wait status without blocking. False while it still runs.
    bool TryWait(int& waitStatus);

    // Waits until the process has ended and returns its wait status. False when there is no
    // process to wait for.
    bool Wait(int& waitStatus);

    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int exitFd_ = -1;
};
