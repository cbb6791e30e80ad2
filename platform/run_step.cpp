#include "platform/run_step.h"

#include "platform/display_command_line.h"
#include "platform/path_lookup.h"
#include "platform/path_split.h"
#include "platform/printable_text.h"
#include "platform/regular_file.h"
#include "platform/supervised_child.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The most of a simulator's messages shown when it fails.
constexpr size_t kShownLogSize = 2000;

// PATH with each relative folder made absolute from tarnwick's own current folder: the tools run
// in their own folder, and must find what tarnwick found.
std::string AbsoluteSearchPath(const std::string& path)
{
    std::string absolute;
    size_t begin = 0;
    for (;;) {
        const size_t end = path.find(':', begin);
        const std::string folder = path.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        absolute += (begin == 0 ? "" : ":") + AbsolutePath(folder.empty() ? std::string(".") : folder);
        if (end == std::string::npos)
            return absolute;
        begin = end + 1;
    }
}

// This process's environment for a step run in folder, with the variables of given instead of its
// own: its search path absolute, and TMPDIR the folder's own tmp, so that what the tools leave
// goes with the run's folder, even when a kill keeps them from removing it.
std::vector<std::string> SimulatorEnvironment(const std::string& folder, const std::vector<std::string>& given)
{
    std::vector<std::string> environment{"TMPDIR=" + AbsolutePath(folder) + "/tmp"};
    environment.insert(environment.end(), given.begin(), given.end());
    const auto isGiven = [&](const std::string& text) {
        const std::string name = text.substr(0, text.find('=') + 1);
        for (const std::string& variable : given) {
            if (variable.rfind(name, 0) == 0)
                return true;
        }
        return false;
    };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (isGiven(text))
            continue;
        if (text.rfind("PATH=", 0) == 0)
            environment.push_back("PATH=" + AbsoluteSearchPath(text.substr(5)));
        else if (text.rfind("TMPDIR=", 0) != 0)
            environment.push_back(text);
    }
    return environment;
}

// Why no step may start now: tarnwick was given a signal, or the run asked its steps to stop
// through limits.stopFd; empty when one may.
std::string StartRefusal(const RunLimits& limits)
{
    if (limits.endSignal != 0)
        return "tarnwick was given signal " + std::to_string(limits.endSignal);
    pollfd stop{limits.stopFd, POLLIN, 0};
    if (limits.stopFd >= 0 && ::poll(&stop, 1, 0) == 1 && (stop.revents & POLLIN) != 0)
        return "the run it belongs to stopped";
    return std::string();
}

// Waits for the step within limits. False with the reason when it ran past the time limit or a
// signal asked tarnwick to end; the step has been ended then and collected.
bool WaitForStep(ChildProcess& step, const std::string& shown, RunLimits& limits, int& status, std::string& error)
{
    Supervision supervision;
    supervision.signalFd = limits.signalFd;
    supervision.onSignal = OnHeldSignal::EndGroup;
    supervision.timeLimit = limits.timeLimit;
    supervision.stopFd = limits.stopFd;
    // A timer that ticks every second while the step runs, when someone shows how far it is.
    const int ticks = limits.whileRunning ? ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK) : -1;
    if (ticks >= 0) {
        const itimerspec second{{1, 0}, {1, 0}};
        ::timerfd_settime(ticks, 0, &second, nullptr);
        supervision.watchedFd = ticks;
        supervision.onReadable = [&] {
            std::uint64_t expired = 0;
            if (::read(ticks, &expired, sizeof expired) == sizeof expired)
                limits.whileRunning();
        };
    }
    int signal = 0;
    const ChildEnd end = SuperviseChild(step, supervision, status, signal);
    if (ticks >= 0)
        ::close(ticks);
    switch (end) {
    case ChildEnd::Exited:
        return true;
    case ChildEnd::TimedOut:
        error = shown + " ran past the time limit of " + std::to_string(limits.timeLimit.count()) + " s and was ended";
        return false;
    case ChildEnd::EndedBySignal:
        limits.endSignal = signal;
        error = shown + " was ended by signal " + std::to_string(signal) + " given to tarnwick";
        return false;
    case ChildEnd::Stopped:
        error = shown + " was ended: the run it belongs to stopped";
        return false;
    case ChildEnd::Lost:
        break;
    }
    error = "lost track of " + shown;
    return false;
}

} // namespace

bool RunStep(const std::vector<std::string>& args, const std::string& folder, RunLimits& limits, std::string& error,
             const std::vector<std::string>& environment)
{
    const std::string shown = DisplayCommandLine(args);
    if (const std::string refusal = StartRefusal(limits); !refusal.empty()) {
        error = shown + " was not started: " + refusal;
        return false;
    }
    if (::mkdir((folder + "/tmp").c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot make the tools' temporary folder in " + PrintableText(folder) + ": " + std::strerror(errno);
        return false;
    }
    // The step reads nothing and says everything into the log, which is shown when it fails.
    const std::string log = folder + "/log";
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    const int in = out < 0 ? -1 : ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    std::string reason = out < 0 || in < 0 ? std::strerror(errno) : std::string();
    ChildProcess step;
    bool started = false;
    if (out >= 0 && in >= 0) {
        ChildOptions options;
        // Found here, once: a relative folder on PATH means tarnwick's current folder, not the step's.
        const std::string found = args[0].find('/') == std::string::npos ? FindOnPath(args[0]) : std::string();
        options.program = found.empty() ? args[0] : found;
        options.args = args;
        options.workingDirectory = folder;
        options.standardInput = in;
        options.standardOutput = out;
        options.standardError = out;
        options.environment = SimulatorEnvironment(folder, environment);
        options.supervised = true;
        StartFailure failure;
        started = step.Start(options, reason, failure);
    }
    // The child holds its own copies now.
    for (const int fd : {out, in}) {
        if (fd >= 0)
            ::close(fd);
    }
    if (!started) {
        error = "cannot start " + PrintableText(args[0]) + ": " + reason;
        return false;
    }
    int status = 0;
    if (!WaitForStep(step, shown, limits, status, error))
        return false;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    std::string said;
    ReadRegularFile(log, size_t(64) << 20, said);
    if (said.size() > kShownLogSize)
        said = "..." + said.substr(said.size() - kShownLogSize);
    error = shown + " failed ("
        + (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                             : "signal " + std::to_string(WTERMSIG(status)))
        + ")" + (said.empty() ? std::string() : ":\n" + PrintableLines(said));
    return false;
}
