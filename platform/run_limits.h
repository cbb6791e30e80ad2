#pragma once

#include <chrono>
#include <functional>

// The longest a simulator step runs unless told otherwise: an hour, well past the largest
// variation's simulation.
constexpr int kDefaultStepSeconds = 3600;

// What bounds a run of a simulator: its time, and a descriptor watched while it runs (a signalfd of
// the signals that ask tarnwick to end; -1 for none).
struct RunLimits {
    std::chrono::seconds timeLimit{kDefaultStepSeconds};
    int signalFd = -1;
    int endSignal = 0;
    // A descriptor that becomes readable when the run no longer wants the step (another part of
    // it failed or was ended): a step running is ended, none is started; -1 for none.
    int stopFd = -1;
    // Called about once a second while a step runs, to show how far it is; may be empty.
    std::function<void()> whileRunning;
};
