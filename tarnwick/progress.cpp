#include "tarnwick/progress.h"

#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace {

const auto kStart = std::chrono::steady_clock::now();
bool phasesShown = false;

} // namespace

void EnablePhases(bool enabled)
{
    phasesShown = enabled && ::isatty(STDERR_FILENO) == 1;
}

void ShowPhase(const char* phase)
{
    if (!phasesShown)
        return;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - kStart;
    std::fprintf(stderr, "tarnwick: %6.1f s  %s\n", elapsed.count(), phase);
}
