#pragma once

#include "platform/run_limits.h"
#include "simulation/simulation_progress.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

// Work of simulator steps, run on a thread of its own beside the caller's: false with the reason
// when it fails. It is handed its own limits and reports how far it is through progress.
using BackgroundWork = std::function<bool(RunLimits& limits, const SimulationProgress& progress, std::string& error)>;

// Runs work while the caller runs steps of its own, on a machine of two cores at no cost in time.
// Its steps have the caller's time limit but do not watch the held signals, which the caller's
// steps take; they watch a stop descriptor instead, which Finish on a held signal and the destructor
// make readable. The destructor waits for the thread.
class BackgroundRun {
public:
    BackgroundRun(const RunLimits& like, BackgroundWork work);
    ~BackgroundRun();
    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    // Waits for the work to end and gives its result, telling progress how far it is about once a
    // second and watching limits.signalFd meanwhile: a held signal ends the work, noted in
    // limits.endSignal. Runs the work here when no thread could be started for it.
    bool Finish(RunLimits& limits, const SimulationProgress& progress, std::string& error);

private:
    void Run();
    // Asks the work's running step to end and no other to start.
    void Stop();

    BackgroundWork work_;
    RunLimits limits_;
    int stopFd_ = -1;
    int doneFd_ = -1;
    std::atomic<std::int64_t> done_{0};
    std::atomic<std::int64_t> total_{0};
    bool ok_ = false;
    std::string error_;
    std::thread thread_;
};
