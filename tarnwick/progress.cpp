#include "tarnwick/progress.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// How often a plain line is printed at the most, so that a log is not flooded.
constexpr auto kPlainLineInterval = std::chrono::seconds(10);

const auto kStart = Clock::now();
ProgressLines shown = ProgressLines::None;
std::string currentPhase;
Clock::time_point phaseStart;
bool lineInPlace = false;
Clock::time_point lastPlainLine;
// The first count of the phase and when it came: the rate is measured from there.
std::int64_t firstDone = -1;
Clock::time_point firstTime;

double Elapsed()
{
    return std::chrono::duration<double>(Clock::now() - kStart).count();
}

// "about 1 min 5 s left", "about 40 s left", empty before there is a rate.
std::string TimeLeft(std::int64_t done, std::int64_t total)
{
    if (firstDone < 0 || done <= firstDone || done >= total)
        return std::string();
    const double seconds = std::chrono::duration<double>(Clock::now() - firstTime).count();
    const long left = long(seconds / double(done - firstDone) * double(total - done) + 0.5);
    if (left < 60)
        return ", about " + std::to_string(left) + " s left";
    return ", about " + std::to_string(left / 60) + " min " + std::to_string(left % 60) + " s left";
}

} // namespace

void EnablePhases(ProgressLines lines)
{
    shown = lines;
}

void EndProgress()
{
    if (lineInPlace)
        std::fputs("\r\033[K", stderr);
    lineInPlace = false;
}

void ShowPhase(const char* phase)
{
    if (shown == ProgressLines::None)
        return;
    EndProgress();
    currentPhase = phase;
    phaseStart = Clock::now();
    firstDone = -1;
    lastPlainLine = Clock::now();
    std::fprintf(stderr, "tarnwick: %6.1f s  %s\n", Elapsed(), phase);
}

namespace {

// Shows "tarnwick: <seconds>  <phase>: <how far>", in place or as a plain line every 10 s.
void ShowPhaseLine(const std::string& howFar)
{
    const Clock::time_point now = Clock::now();
    if (shown == ProgressLines::Plain && now - lastPlainLine < kPlainLineInterval)
        return;
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, "%6.1f s  ", Elapsed());
    const std::string line = "tarnwick: " + std::string(elapsed) + currentPhase + ": " + howFar;
    if (shown == ProgressLines::InPlace) {
        std::fprintf(stderr, "\r\033[K%s", line.c_str());
        lineInPlace = true;
    } else {
        std::fprintf(stderr, "%s\n", line.c_str());
        lastPlainLine = now;
    }
    std::fflush(stderr);
}

} // namespace

void ShowProgress(std::int64_t done, std::int64_t total)
{
    if (shown == ProgressLines::None || total <= 0)
        return;
    if (firstDone < 0 && done > 0) {
        firstDone = done;
        firstTime = Clock::now();
    }
    ShowPhaseLine(std::to_string(done) + " of " + std::to_string(total) + " edges ("
                  + std::to_string(done * 100 / total) + " %)" + TimeLeft(done, total));
}

void ShowWorking()
{
    if (shown == ProgressLines::None)
        return;
    const long seconds = long(std::chrono::duration<double>(Clock::now() - phaseStart).count());
    ShowPhaseLine("working, " + std::to_string(seconds) + " s so far");
}
