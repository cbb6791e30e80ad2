#include "platform/supervised_child.h"

#include "platform/held_signals.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <poll.h>

namespace {

// How often the end of a child is checked when the kernel offers no process descriptor.
constexpr int kFallbackPollMilliseconds = 100;

// How long a child whose group is ended has after the first signal before it is killed.
constexpr auto kGraceBeforeKill = std::chrono::milliseconds(2000);

// Ends the child's whole group: signal first, SIGKILL when it has not ended a grace later; the
// child is collected into waitStatus.
void EndGroup(ChildProcess& child, int signal, int& waitStatus)
{
    const pid_t group = child.pid();
    bool timedOut = false;
    child.Signal(signal);
    if (!child.WaitWithin(kGraceBeforeKill, waitStatus, timedOut))
        waitStatus = 0;
    // What the child started may outlive it in its group.
    ::kill(-group, SIGKILL);
}

// How long the next poll may block: until the deadline, and never past the fallback interval
// without a process descriptor.
int PollTimeout(const ChildProcess& child, std::optional<long long> left)
{
    if (child.exitFd() < 0)
        return int(std::min<long long>(left.value_or(kFallbackPollMilliseconds), kFallbackPollMilliseconds));
    return left ? int(std::min<long long>(*left, INT_MAX)) : -1;
}

} // namespace

ChildEnd SuperviseChild(ChildProcess& child, const Supervision& supervision, int& waitStatus, int& lastSignal)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    lastSignal = 0;
    bool exitReady = false;
    for (;;) {
        if (child.TryWait(waitStatus))
            return ChildEnd::Exited;
        // Ended, yet not to be collected: it is no longer this process's child.
        if (exitReady)
            return child.Wait(waitStatus) ? ChildEnd::Exited : ChildEnd::Lost;
        std::optional<long long> left;
        if (supervision.timeLimit) {
            left = std::chrono::ceil<std::chrono::milliseconds>(start + *supervision.timeLimit - Clock::now()).count();
            if (*left <= 0) {
                EndGroup(child, SIGTERM, waitStatus);
                return ChildEnd::TimedOut;
            }
        }
        pollfd watched[4] = {{supervision.watchedFd, POLLIN, 0},
                             {supervision.signalFd, POLLIN, 0},
                             {child.exitFd(), POLLIN, 0},
                             {supervision.stopFd, POLLIN, 0}};
        if (::poll(watched, 4, PollTimeout(child, left)) < 0) {
            // Nothing was watched: the loop goes on at the fallback pace.
            if (errno != EINTR)
                ::poll(nullptr, 0, kFallbackPollMilliseconds);
            continue;
        }
        exitReady = child.exitFd() >= 0 && watched[2].revents != 0;
        if ((watched[0].revents & POLLIN) != 0 && supervision.onReadable)
            supervision.onReadable();
        if ((watched[3].revents & POLLIN) != 0 && !exitReady) {
            EndGroup(child, SIGTERM, waitStatus);
            return ChildEnd::Stopped;
        }
        if ((watched[1].revents & POLLIN) == 0)
            continue;
        if (supervision.onSignal == OnHeldSignal::EndGroup) {
            if (const int signal = HeldSignals::TakeHeldSignal(supervision.signalFd)) {
                lastSignal = signal;
                EndGroup(child, signal, waitStatus);
                return ChildEnd::EndedBySignal;
            }
            continue;
        }
        while (const int signal = HeldSignals::TakeHeldSignal(supervision.signalFd)) {
            lastSignal = signal;
            child.Signal(signal);
        }
    }
}
