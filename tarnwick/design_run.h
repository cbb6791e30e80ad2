#pragma once

#include "tarnwick/run_summary.h"
#include "tarnwick/tarnwick_options.h"

#include "platform/design_lock.h"

#include <csignal>
#include <memory>
#include <string>

// One run of tarnwick on a design, after its command line has been read: it locks the design,
// stages changed settings, starts the wizard and follows it, and installs the design's files as
// one.
struct DesignRunResult {
    RunSummary summary;
    int endSignal = 0;
    // The design's lock, held until the caller has given its report.
    std::shared_ptr<DesignLock> lock;
};

class RunServices;

DesignRunResult RunOnDesign(const TarnwickOptions& options, RunServices& services);

// Ends the process by signal, as it would have ended without tarnwick's handling.
[[noreturn]] void EndBySignal(int signal);
