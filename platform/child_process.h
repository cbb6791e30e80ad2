#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// Why a program could not be started: no program at its path or on the search path, or a program
// that is there but cannot be run (no permission to execute it, not an executable, out of memory,
// a working folder that cannot be entered).
enum class StartFailure { NotFound, NotStartable };

// What a child process is started with. The child inherits only the descriptors named here.
struct ChildOptions {
    // Looked up on the search path when it holds no '/', as execvp does; a relative path is taken
    // from this process's current folder, whatever workingDirectory says.
    std::string program;
    // The argument vector; args[0] becomes the process's own name.
    std::vector<std::string> args;
    // The child's current folder; empty keeps this process's.
    std::string workingDirectory;
    // The child's environment as "NAME=value" entries; none keeps this process's.
    std::optional<std::vector<std::string>> environment;
    // The descriptors that become the child's standard input, output and error; -1 leaves this
    // process's own in their place.
    int standardInput = -1;
    int standardOutput = -1;
    int standardError = -1;
    // Descriptors that stay open in the child under their numbers. Every other descriptor above the
    // standard three is closed when the program starts.
    std::vector<int> keptFds;
    // The child is sent SIGTERM when this process ends (strictly, the thread that starts it), so
    // that it does not outlive the process that watches it.
    bool endWithParent = false;
    // The child leads a process group of its own, so that a signal reaches everything it starts.
    bool ownProcessGroup = false;
    // Nothing in the child's group outlives this process, even one killed outright: a small
    // supervisor leads the group and ends it. Implies ownProcessGroup and endWithParent.
    bool supervised = false;
};

// A program run as a child process, without a command interpreter. The child gets the default
// action for SIGINT, SIGQUIT, SIGTERM, SIGHUP and SIGPIPE and an empty signal mask, whatever this
// process has set.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Closes the process descriptor. A process still running is left to run; it is not waited for.
    ~ChildProcess();

    // Starts the program; meant for an object that holds no process yet. False with the system's
    // text for the reason in reason (such as "No such file or directory") and its kind in failure;
    // a child that could not become the program has been collected again.
    bool Start(const ChildOptions& options, std::string& reason, StartFailure& failure);

    // Sends signal to the process while it runs; to its whole group when it leads one of its own.
    void Signal(int signal) const;

    // Readable when the process has ended; -1 when the kernel offers no process descriptor, in
    // which case the caller checks with TryWait from time to time.
    int exitFd() const { return exitFd_; }

    // Collects the ended process's wait status without blocking. False while it still runs.
    bool TryWait(int& waitStatus);

    // Waits until the process has ended and gives its wait status. False when there is no process
    // to wait for.
    bool Wait(int& waitStatus);

    // Waits at most limit for the process to end. One that is still running then is sent SIGTERM
    // and, when it has not ended a short grace later, SIGKILL; it is collected either way and
    // timedOut tells so. False when there is no process to wait for.
    bool WaitWithin(std::chrono::milliseconds limit, int& waitStatus, bool& timedOut);

    // The process's id until it has been collected, then -1.
    pid_t pid() const { return pid_; }

private:
    enum class Reaped { Ended, Running, Lost };
    Reaped Reap(int options, int& waitStatus);
    Reaped ReapWithin(std::chrono::milliseconds limit, int& waitStatus);

    pid_t pid_ = -1;
    int exitFd_ = -1;
    bool group_ = false;
};

// This process's environment as "NAME=value" entries, without the variable name.
std::vector<std::string> EnvironmentWithout(const char* name);
