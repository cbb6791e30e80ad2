#include "platform/pending_temporary.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

// A place is taken by one thread (Free to Filling), its path written, then published as Held.
// The signal handler claims a held place (Held to Removing) before it reads the path, and the
// owner frees only a place it still finds held, so the path is never read while it is written.
enum PlaceState : int { Free, Filling, Held, Removing };

constexpr int kPlaces = 16;
constexpr size_t kPathBytes = 4096;

struct Place {
    std::atomic<int> state{Free};
    pid_t owner = 0;
    char path[kPathBytes] = {};
};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free atomics");

Place places[kPlaces];

const int kCleanupSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void RemoveHeldAndEnd(int signal)
{
    // A child forked without exec keeps a copy of the table; the names belong to its parent.
    const pid_t self = ::getpid();
    for (Place& place : places) {
        int held = Held;
        if (place.state.compare_exchange_strong(held, Removing) && place.owner == self)
            ::unlink(place.path);
    }
    // End the process the way the signal would have without us, so that the parent sees it.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    ::raise(signal);
}

// Looked at again each time a name is held, so that a signal the program has come to ignore (or
// to handle) since the last time is left to it.
void InstallHandlers()
{
    struct sigaction action {};
    action.sa_handler = RemoveHeldAndEnd;
    // The other cleanup signals wait while one handler removes the files, so that none is left
    // half done by a second signal ending the process.
    sigemptyset(&action.sa_mask);
    for (const int signal : kCleanupSignals)
        sigaddset(&action.sa_mask, signal);
    for (const int signal : kCleanupSignals) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) == 0 && (old.sa_flags & SA_SIGINFO) == 0 && old.sa_handler == SIG_DFL)
            ::sigaction(signal, &action, nullptr);
    }
}

} // namespace

bool PendingTemporary::Hold(const std::string& path)
{
    Release();
    if (path.size() >= kPathBytes)
        return false;
    InstallHandlers();
    for (int i = 0; i < kPlaces; ++i) {
        Place& place = places[i];
        int free = Free;
        if (!place.state.compare_exchange_strong(free, Filling))
            continue;
        std::memcpy(place.path, path.c_str(), path.size() + 1);
        place.owner = ::getpid();
        place.state.store(Held, std::memory_order_release);
        place_ = i;
        return true;
    }
    return false;
}

void PendingTemporary::Release()
{
    if (place_ < 0)
        return;
    // Fails only while a handler is removing the file, and the process is then ending.
    int held = Held;
    places[place_].state.compare_exchange_strong(held, Free);
    place_ = -1;
}
