#include "platform/child_process.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace {

// The child's status when it could not become the program; the parent has been told why.
constexpr int kChildFailed = 127;

// How long a child that outlived its time limit has after SIGTERM before it is killed.
constexpr auto kGraceAfterTerm = std::chrono::seconds(1);

// How often the end of a child is checked when the kernel offers no process descriptor.
constexpr auto kFallbackCheckInterval = std::chrono::milliseconds(10);

// The descriptor close_range's flag that marks a range close-on-exec instead of closing it
// (Linux 5.11); older C library headers do not name it.
constexpr unsigned kCloseRangeCloexec = 1U << 2;

// What the child sends through the report pipe when it could not become the program. Only a
// failed exec can mean that the program is missing; a failure before it (the working folder, a
// descriptor) is the program's environment, not the program.
struct ChildReport {
    int beforeExec;
    int error;
};

// Everything the child needs, made before fork: after it, the child may not allocate.
struct PreparedStart {
    std::string path;
    bool searchPath = false;
    std::vector<char*> argv;
    std::vector<char*> envp;
    int descriptorLimit = 0;
    // This process's group, which a supervisor moves into before it ends its own.
    pid_t parentGroup = 0;
};

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

PreparedStart Prepare(const ChildOptions& options)
{
    PreparedStart prepared;
    prepared.path = options.program;
    prepared.searchPath = options.program.find('/') == std::string::npos;
    // A program given by a relative path is found from here, not from the working folder.
    if (!options.workingDirectory.empty() && !prepared.searchPath && options.program.front() != '/') {
        std::error_code ignored;
        const std::filesystem::path absolute = std::filesystem::absolute(options.program, ignored);
        if (!absolute.empty())
            prepared.path = absolute.string();
    }
    for (const std::string& arg : options.args)
        prepared.argv.push_back(const_cast<char*>(arg.c_str()));
    prepared.argv.push_back(nullptr);
    if (options.environment) {
        for (const std::string& entry : *options.environment)
            prepared.envp.push_back(const_cast<char*>(entry.c_str()));
        prepared.envp.push_back(nullptr);
    }
    prepared.parentGroup = ::getpgrp();
    rlimit limit{};
    prepared.descriptorLimit =
        ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < rlim_t(INT_MAX) ? int(limit.rlim_cur) : 1 << 20;
    return prepared;
}

// Opens the close-on-exec pipe through which the child reports a failed start, both ends above
// the standard descriptors, which the child replaces before it could report.
bool OpenReportPipe(int ends[2])
{
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    for (int i = 0; i < 2; ++i) {
        if (ends[i] > 2)
            continue;
        const int moved = ::fcntl(ends[i], F_DUPFD_CLOEXEC, 3);
        const int error = errno;
        ::close(ends[i]);
        ends[i] = moved;
        if (moved < 0) {
            ::close(ends[1 - i]);
            errno = error;
            return false;
        }
    }
    return true;
}

[[noreturn]] void ReportFailure(int reportFd, bool beforeExec)
{
    const ChildReport report{beforeExec ? 1 : 0, errno};
    (void)!::write(reportFd, &report, sizeof report);
    ::_exit(kChildFailed);
}

// Puts the given descriptors in place as the child's standard input, output and error. Only
// async-signal-safe calls. False with errno set.
bool SetStandardDescriptors(const ChildOptions& options)
{
    int given[3] = {options.standardInput, options.standardOutput, options.standardError};
    // A given descriptor among the standard three could be replaced before it is copied: move it
    // out of the way first.
    for (int target = 0; target < 3; ++target) {
        if (given[target] >= 0 && given[target] < 3 && given[target] != target
            && (given[target] = ::fcntl(given[target], F_DUPFD_CLOEXEC, 3)) < 0)
            return false;
    }
    for (int target = 0; target < 3; ++target) {
        // A descriptor already in its place only loses its close-on-exec mark; dup2 does nothing
        // when both numbers are the same.
        if (given[target] == target && ::fcntl(target, F_SETFD, 0) < 0)
            return false;
        if (given[target] >= 0 && given[target] != target && ::dup2(given[target], target) < 0)
            return false;
    }
    return true;
}

// Marks every descriptor above the standard three close-on-exec, then clears the mark on the kept
// ones. Only async-signal-safe calls. False with errno set when a kept descriptor is not open.
bool CloseOthersOnExec(const std::vector<int>& kept, int descriptorLimit)
{
    bool marked = false;
#ifdef SYS_close_range
    marked = ::syscall(SYS_close_range, 3U, ~0U, kCloseRangeCloexec) == 0;
#endif
    // Kernels before 5.11 lack the flag: every descriptor up to the limit is marked one by one.
    for (int fd = 3; !marked && fd < descriptorLimit; ++fd) {
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0 && (flags & FD_CLOEXEC) == 0)
            ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
    for (const int fd : kept) {
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags < 0 || ::fcntl(fd, F_SETFD, flags & ~FD_CLOEXEC) < 0)
            return false;
    }
    return true;
}

// Gives the child the default action for every signal that this process handles, as exec would
// anyway, so that no handler of this process runs in the child before it; and for the ending
// signals also when this process ignores them: the program must not inherit a parent that ignores
// or holds back Ctrl+C and the others. Then the signals held over the fork are let through.
void RestoreDefaultSignals()
{
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal) {
        struct sigaction current {};
        const bool ending =
            signal == SIGINT || signal == SIGQUIT || signal == SIGTERM || signal == SIGHUP || signal == SIGPIPE;
        if (::sigaction(signal, nullptr, &current) == 0
            && (ending || (current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN)))
            ::sigaction(signal, &byDefault, nullptr);
    }
    sigset_t empty;
    sigemptyset(&empty);
    ::sigprocmask(SIG_SETMASK, &empty, nullptr);
}

// Puts the standard descriptors in place, leaves the others to close at exec, enters the working
// folder and becomes the program; reports why when it cannot. Only async-signal-safe calls.
[[noreturn]] void ExecProgram(const ChildOptions& options, const PreparedStart& prepared, int reportFd,
                              bool standardInPlace)
{
    RestoreDefaultSignals();
    if (!(standardInPlace || SetStandardDescriptors(options))
        || !CloseOthersOnExec(options.keptFds, prepared.descriptorLimit)
        || (!options.workingDirectory.empty() && ::chdir(options.workingDirectory.c_str()) != 0))
        ReportFailure(reportFd, true);
    char* const* envp = options.environment ? prepared.envp.data() : environ;
    if (prepared.searchPath)
        ::execvpe(prepared.path.c_str(), prepared.argv.data(), envp);
    else
        ::execve(prepared.path.c_str(), prepared.argv.data(), envp);
    ReportFailure(reportFd, false);
}

// Closes every descriptor above the standard three but kept. Only async-signal-safe calls.
void CloseAllBut(int kept, int descriptorLimit)
{
#ifdef SYS_close_range
    if (::syscall(SYS_close_range, 3U, unsigned(kept) - 1, 0U) == 0
        && ::syscall(SYS_close_range, unsigned(kept) + 1, ~0U, 0U) == 0)
        return;
#endif
    for (int fd = 3; fd < descriptorLimit; ++fd) {
        if (fd != kept)
            ::close(fd);
    }
}

// Ends as the program's wait status says it ended: the same exit status, or the same signal.
[[noreturn]] void EndAs(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        ::_exit(WEXITSTATUS(waitStatus));
    const int signal = WIFSIGNALED(waitStatus) ? WTERMSIG(waitStatus) : SIGKILL;
    // No core of the supervisor: the program's own was dumped already, if any.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    ::sigaction(signal, &byDefault, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::kill(::getpid(), signal);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::_exit(128 + signal);
}

// The supervisor of ChildOptions::supervised, between fork and its end: only async-signal-safe
// calls. Every signal is still held from Start; it waits for them instead of handling them.
[[noreturn]] void Supervise(const ChildOptions& options, const PreparedStart& prepared, pid_t parent, int reportFd)
{
    ::setpgid(0, 0);
    // An ignored SIGCHLD would have the program collected unseen.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    ::sigaction(SIGCHLD, &byDefault, nullptr);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        ::_exit(kChildFailed);
    // The program's descriptors are put in place here, so that nothing else of this process is
    // held open by the supervisor.
    if (!SetStandardDescriptors(options))
        ReportFailure(reportFd, true);
    CloseAllBut(reportFd, prepared.descriptorLimit);
    const pid_t supervisor = ::getpid();
    const pid_t program = ::_Fork();
    if (program == 0) {
        // The supervisor never ends without ending the group, unless it is killed outright.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != supervisor)
            ::_exit(kChildFailed);
        ExecProgram(options, prepared, reportFd, true);
    }
    if (program < 0)
        ReportFailure(reportFd, true);
    ::close(reportFd);
    sigset_t waited;
    sigemptyset(&waited);
    for (const int signal : {SIGCHLD, SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE})
        sigaddset(&waited, signal);
    for (;;) {
        siginfo_t info{};
        const int signal = ::sigwaitinfo(&waited, &info);
        if (signal < 0)
            continue;
        if (signal != SIGCHLD) {
            // A signal to the group reached the program too; the parent's end is this one's.
            if (::getppid() != parent)
                ::kill(-supervisor, SIGKILL);
            continue;
        }
        siginfo_t ended{};
        if (::waitid(P_PID, id_t(program), &ended, WEXITED | WNOHANG | WNOWAIT) != 0 || ended.si_pid != program)
            continue;
        // Still uncollected, the program's id cannot be reused while what it left in the group is
        // killed; the supervisor leaves the group first.
        if (::setpgid(0, prepared.parentGroup) == 0)
            ::kill(-supervisor, SIGKILL);
        int status = 0;
        while (::waitpid(program, &status, 0) < 0 && errno == EINTR) {}
        EndAs(status);
    }
}

// The child's side of Start, between fork and exec: only async-signal-safe calls, as the child is
// a copy of a process that may have had other threads.
[[noreturn]] void BecomeProgram(const ChildOptions& options, const PreparedStart& prepared, pid_t parent, int reportFd)
{
    if (options.supervised)
        Supervise(options, prepared, parent, reportFd);
    if (options.endWithParent) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The parent may have ended before the signal was asked for.
        if (::getppid() != parent)
            ::_exit(kChildFailed);
    }
    if (options.ownProcessGroup)
        ::setpgid(0, 0);
    ExecProgram(options, prepared, reportFd, false);
}

} // namespace

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), exitFd_(std::exchange(other.exitFd_, -1)), group_(other.group_)
{
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        if (exitFd_ >= 0)
            ::close(exitFd_);
        pid_ = std::exchange(other.pid_, -1);
        exitFd_ = std::exchange(other.exitFd_, -1);
        group_ = other.group_;
    }
    return *this;
}

ChildProcess::~ChildProcess()
{
    if (exitFd_ >= 0)
        ::close(exitFd_);
}

bool ChildProcess::Start(const ChildOptions& options, std::string& reason, StartFailure& failure)
{
    failure = StartFailure::NotStartable;
    const PreparedStart prepared = Prepare(options);
    int report[2];
    if (!OpenReportPipe(report)) {
        reason = std::strerror(errno);
        return false;
    }
    // Every signal is held over the fork, so that none reaches a handler of this process in the
    // child before the child has put the default actions back.
    sigset_t all;
    sigset_t old;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &old);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0)
        BecomeProgram(options, prepared, parent, report[1]);
    const int forkError = errno;
    // Set on both sides, so that the group exists before either goes on. A supervisor sets its own
    // before the report pipe closes, and later leaves the group, which a late call here would undo.
    if (pid > 0 && options.ownProcessGroup && !options.supervised)
        ::setpgid(pid, pid);
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    ::close(report[1]);
    if (pid < 0) {
        ::close(report[0]);
        reason = std::strerror(forkError);
        return false;
    }
    // Exec closes the pipe, so nothing comes when the program started.
    ChildReport childReport{};
    ssize_t got;
    do {
        got = ::read(report[0], &childReport, sizeof childReport);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == ssize_t(sizeof childReport)) {
        int ignored;
        while (::waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {}
        reason = std::strerror(childReport.error);
        // A search of the path ends in ENOENT only when no directory holds the program (one that is
        // there but may not be run gives EACCES), so ENOENT alone means that the program is missing.
        failure = !childReport.beforeExec && childReport.error == ENOENT ? StartFailure::NotFound
                                                                         : StartFailure::NotStartable;
        return false;
    }
    pid_ = pid;
    group_ = options.ownProcessGroup || options.supervised;
    // The child is not collected before this point, so its id cannot have been reused.
    exitFd_ = OpenProcessDescriptor(pid);
    return true;
}

void ChildProcess::Signal(int signal) const
{
    if (pid_ > 0)
        ::kill(group_ ? -pid_ : pid_, signal);
}

ChildProcess::Reaped ChildProcess::Reap(int options, int& waitStatus)
{
    if (pid_ < 0)
        return Reaped::Lost;
    pid_t done;
    do {
        done = ::waitpid(pid_, &waitStatus, options);
    } while (done < 0 && errno == EINTR);
    if (done == 0)
        return Reaped::Running;
    if (done != pid_)
        return Reaped::Lost;
    pid_ = -1;
    return Reaped::Ended;
}

bool ChildProcess::TryWait(int& waitStatus)
{
    return Reap(WNOHANG, waitStatus) == Reaped::Ended;
}

bool ChildProcess::Wait(int& waitStatus)
{
    return Reap(0, waitStatus) == Reaped::Ended;
}

// Collects the process once it has ended within limit: Running when it still runs after that.
ChildProcess::Reaped ChildProcess::ReapWithin(std::chrono::milliseconds limit, int& waitStatus)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limit;
    for (;;) {
        const Reaped reaped = Reap(WNOHANG, waitStatus);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (reaped != Reaped::Running || left.count() <= 0)
            return reaped;
        if (exitFd_ >= 0) {
            pollfd ended{exitFd_, POLLIN, 0};
            ::poll(&ended, 1, int(std::min<long long>(left.count(), INT_MAX)));
        } else {
            const std::chrono::nanoseconds pause = std::min<std::chrono::nanoseconds>(left, kFallbackCheckInterval);
            const timespec interval{time_t(pause.count() / 1000000000), long(pause.count() % 1000000000)};
            ::nanosleep(&interval, nullptr);
        }
    }
}

bool ChildProcess::WaitWithin(std::chrono::milliseconds limit, int& waitStatus, bool& timedOut)
{
    timedOut = false;
    Reaped reaped = ReapWithin(limit, waitStatus);
    if (reaped != Reaped::Running)
        return reaped == Reaped::Ended;
    timedOut = true;
    Signal(SIGTERM);
    reaped = ReapWithin(kGraceAfterTerm, waitStatus);
    if (reaped != Reaped::Running)
        return reaped == Reaped::Ended;
    Signal(SIGKILL);
    return Wait(waitStatus);
}

std::vector<std::string> EnvironmentWithout(const char* name)
{
    const size_t length = std::strlen(name);
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, name, length) != 0 || ((*entry)[length] != '=' && (*entry)[length] != '\0'))
            entries.emplace_back(*entry);
    }
    return entries;
}
