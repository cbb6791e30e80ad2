#pragma once

#include "platform/child_process.h"

#include <chrono>
#include <functional>
#include <optional>

// What a held signal does to a supervised child: passed on while it runs on, or the end of its
// whole group.
enum class OnHeldSignal { PassOn, EndGroup };

// How a child is watched while it runs.
struct Supervision {
    // A signalfd of the held signals; -1 for none.
    int signalFd = -1;
    OnHeldSignal onSignal = OnHeldSignal::PassOn;
    // Past it, the child's group is sent SIGTERM and ended as for OnHeldSignal::EndGroup.
    std::optional<std::chrono::milliseconds> timeLimit;
    // Another descriptor watched meanwhile; onReadable runs each time it can be read.
    int watchedFd = -1;
    std::function<void()> onReadable;
    // Once readable, the child's group is ended as for OnHeldSignal::EndGroup; -1 for none.
    int stopFd = -1;
};

// How a supervised child ended: by itself, past its time limit, ended for a held signal, ended
// because it was asked to stop, or lost.
enum class ChildEnd { Exited, TimedOut, EndedBySignal, Stopped, Lost };

// Waits for child as supervision says, collecting its wait status; lastSignal receives the last
// held signal taken (0 for none).
ChildEnd SuperviseChild(ChildProcess& child, const Supervision& supervision, int& waitStatus, int& lastSignal);
