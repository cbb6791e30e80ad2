#pragma once

#include <csignal>

// The signals that end a run early: each is passed on to the child that runs.
constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Holds back the ending signals while the run goes on, and hands them over through a descriptor
// that poll() watches; the old mask comes back when it goes.
class HeldSignals {
public:
    HeldSignals();
    ~HeldSignals();
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

    int fd() const { return fd_; }
    // The next signal that has come, or 0.
    int Take() const { return TakeHeldSignal(fd_); }

    // The next signal waiting on the signalfd signalFd, or 0.
    static int TakeHeldSignal(int signalFd);

private:
    int fd_ = -1;
    sigset_t old_{};
};
