#include "tools/tarnwick/wizard_process.h"

#include "tools/tarnwick/printable_text.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// pidfd_open has no wrapper in older C libraries; the system call number is in every kernel
// header since 5.3.
int OpenProcessDescriptor(pid_t pid)
{
#ifdef SYS_pidfd_open
    return int(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

} // namespace

WizardProcess::~WizardProcess()
{
    if (exitFd_ >= 0)
        ::close(exitFd_);
}

bool WizardProcess::Start(const std::string& program, const std::vector<std::string>& args, std::string& error,
                          StartFailure& failure, const std::string& workingDirectory)
{
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    // The wizard must not inherit a host that ignores Ctrl+C, nor any blocked signal.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGQUIT);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t empty;
    sigemptyset(&empty);
    posix_spawnattr_setsigmask(&attributes, &empty);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());

    // A program given by a relative path is found from here, not from the working directory.
    std::string path = program;
    if (!workingDirectory.empty() && program.find('/') != std::string::npos && program.front() != '/')
        path = std::filesystem::absolute(program).string();
    pid_t pid = -1;
    const bool searchPath = program.find('/') == std::string::npos;
    const int spawnError = searchPath
        ? ::posix_spawnp(&pid, path.c_str(), &actions, &attributes, argv.data(), environ)
        : ::posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawnError != 0) {
        error = "cannot start the wizard " + PrintableText(program) + ": " + std::strerror(spawnError);
        // A search of the path ends in ENOENT only when no directory holds the program (one that is
        // there but may not be run gives EACCES), so ENOENT alone means that the wizard is missing.
        failure = spawnError == ENOENT ? StartFailure::NotFound : StartFailure::NotStartable;
        return false;
    }
    pid_ = pid;
    // The child is not reaped before this point, so its id cannot have been reused.
    exitFd_ = OpenProcessDescriptor(pid);
    return true;
}

bool WizardProcess::TryWait(int& waitStatus)
{
    if (pid_ < 0)
        return false;
    pid_t done;
    do {
        done = ::waitpid(pid_, &waitStatus, WNOHANG);
    } while (done < 0 && errno == EINTR);
    if (done != pid_)
        return false;
    pid_ = -1;
    return true;
}

bool WizardProcess::Wait(int& waitStatus)
{
    if (pid_ < 0)
        return false;
    pid_t done;
    do {
        done = ::waitpid(pid_, &waitStatus, 0);
    } while (done < 0 && errno == EINTR);
    if (done != pid_)
        return false;
    pid_ = -1;
    return true;
}
