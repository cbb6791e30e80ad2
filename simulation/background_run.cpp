#include "simulation/background_run.h"

#include "platform/held_signals.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr int kProgressMilliseconds = 1000;

// Makes the event descriptor readable; a counter at its maximum is readable already.
void Signal(int eventFd)
{
    const std::uint64_t one = 1;
    if (eventFd < 0)
        return;
    const ssize_t written = ::write(eventFd, &one, sizeof one);
    static_cast<void>(written);
}

} // namespace

BackgroundRun::BackgroundRun(const RunLimits& like, BackgroundWork work)
    : work_(std::move(work)), stopFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      doneFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    limits_.timeLimit = like.timeLimit;
    limits_.stopFd = stopFd_;
    if (stopFd_ < 0 || doneFd_ < 0)
        return;
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // Finish runs the work itself.
    }
}

BackgroundRun::~BackgroundRun()
{
    if (thread_.joinable()) {
        Stop();
        thread_.join();
    }
    for (const int fd : {stopFd_, doneFd_}) {
        if (fd >= 0)
            ::close(fd);
    }
}

void BackgroundRun::Run()
{
    const SimulationProgress progress = [this](std::int64_t done, std::int64_t total) {
        done_ = done;
        total_ = total;
    };
    ok_ = work_(limits_, progress, error_);
    Signal(doneFd_);
}

void BackgroundRun::Stop()
{
    Signal(stopFd_);
}

bool BackgroundRun::Finish(RunLimits& limits, const SimulationProgress& progress, std::string& error)
{
    if (!thread_.joinable())
        return work_(limits, progress, error);
    for (;;) {
        pollfd watched[2] = {{doneFd_, POLLIN, 0}, {limits.signalFd, POLLIN, 0}};
        const int ready = ::poll(watched, 2, kProgressMilliseconds);
        if (ready < 0 && errno != EINTR)
            break;
        if ((watched[0].revents & POLLIN) != 0)
            break;
        if ((watched[1].revents & POLLIN) != 0) {
            if (const int signal = HeldSignals::TakeHeldSignal(limits.signalFd)) {
                limits.endSignal = signal;
                Stop();
                thread_.join();
                error = "ended by signal " + std::to_string(signal) + " given to tarnwick";
                return false;
            }
        }
        if (ready == 0 && progress && total_ > 0)
            progress(done_, total_);
    }
    thread_.join();
    error = error_;
    return ok_;
}
