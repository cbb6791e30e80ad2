#include "tarnwick/wizard_process.h"

#include "platform/printable_text.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The child's status when it could not become the wizard; the parent has been told why.
constexpr int kChildFailed = 127;

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
                          StartFailure& failure, const std::string& workingDirectory, int handedDownFd)
{
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    // A program given by a relative path is found from here, not from the working directory.
    std::string path = program;
    if (!workingDirectory.empty() && program.find('/') != std::string::npos && program.front() != '/')
        path = std::filesystem::absolute(program).string();
    const bool searchPath = program.find('/') == std::string::npos;

    // The child tells why exec failed through this pipe; exec closes it, so nothing comes when it
    // succeeded.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        error = "cannot start the wizard " + PrintableText(program) + ": " + std::strerror(errno);
        failure = StartFailure::NotStartable;
        return false;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here on: the child is a copy of a running process.
        // The wizard ends with its host, also when the host was already gone before this point.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(kChildFailed);
        // The wizard must not inherit a host that ignores or holds back Ctrl+C and the others.
        for (const int signal : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE})
            ::signal(signal, SIG_DFL);
        sigset_t empty;
        sigemptyset(&empty);
        ::sigprocmask(SIG_SETMASK, &empty, nullptr);
        if (handedDownFd >= 0)
            ::fcntl(handedDownFd, F_SETFD, 0);
        int failed = 0;
        if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0)
            failed = errno;
        if (failed == 0) {
            if (searchPath)
                ::execvp(path.c_str(), argv.data());
            else
                ::execv(path.c_str(), argv.data());
            failed = errno;
        }
        (void)!::write(report[1], &failed, sizeof failed);
        ::_exit(kChildFailed);
    }
    const int forkError = errno;
    ::close(report[1]);
    if (pid < 0) {
        ::close(report[0]);
        error = "cannot start the wizard " + PrintableText(program) + ": " + std::strerror(forkError);
        failure = StartFailure::NotStartable;
        return false;
    }
    int execError = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == ssize_t(sizeof execError)) {
        int ignored;
        ::waitpid(pid, &ignored, 0);
        error = "cannot start the wizard " + PrintableText(program) + ": " + std::strerror(execError);
        // A search of the path ends in ENOENT only when no directory holds the program (one that is
        // there but may not be run gives EACCES), so ENOENT alone means that the wizard is missing.
        failure = execError == ENOENT ? StartFailure::NotFound : StartFailure::NotStartable;
        return false;
    }
    pid_ = pid;
    // The child is not reaped before this point, so its id cannot have been reused.
    exitFd_ = OpenProcessDescriptor(pid);
    return true;
}

void WizardProcess::Signal(int signal) const
{
    if (pid_ > 0)
        ::kill(pid_, signal);
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
