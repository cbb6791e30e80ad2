#pragma once

#include "platform/run_limits.h"

#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>

// How far a simulation is: the clock edges its testbench has recorded, against all it will.
using SimulationProgress = std::function<void(std::int64_t recorded, std::int64_t total)>;

// While it lives, tells progress about once a second how many lines the file at path holds, the
// record a testbench writes a line an edge into, against total: limits.whileRunning is its own
// until it goes. Each count reads only what was added since the last one.
class RecordWatch {
public:
    RecordWatch(RunLimits& limits, std::string path, std::int64_t total, SimulationProgress progress);
    ~RecordWatch();
    RecordWatch(const RecordWatch&) = delete;
    RecordWatch& operator=(const RecordWatch&) = delete;

    // The lines the record holds now.
    std::int64_t Lines();

private:
    RunLimits& limits_;
    std::string path_;
    std::int64_t total_;
    SimulationProgress progress_;
    std::int64_t lines_ = 0;
    off_t counted_ = 0;
};
