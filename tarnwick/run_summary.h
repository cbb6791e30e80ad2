#pragma once

#include "simulation/simulation_check.h"
#include "synthesis/ice40_devices.h"
#include "synthesis/synthesis_figures.h"
#include "tarnwick/run_report.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// What the JSON report tells of a run.
struct RunSummary {
    int exitStatus = 0; // tarnwick's own
    // The wizard's wait status; absent when tarnwick ended before the wizard did.
    std::optional<int> waitStatus;
    // Why tarnwick failed; empty when it did not. refused: it turned the command line or the
    // settings down before anything ran.
    std::string error;
    bool refused = false;
    std::string design;
    std::vector<std::pair<int, int>> pageExits;
    std::vector<RunFile> files;
    // The run's files that the run replaced, made or removed.
    std::vector<std::string> changed;
    // What is wrong with the settings the design's retrieval information stored before the run.
    std::vector<std::string> inconsistencies;
    // --simulate-only: no wizard ran, only the simulation of the design's files.
    bool simulateOnly = false;
    // What the simulation showed, once it ran to the check against the reference model.
    std::optional<SimulationOutcome> simulation;
    // What --synthesize showed, once the tools ran (or the core's memory was found too large).
    std::optional<SynthesisOutcome> synthesis;
    // The part whose RAM blocks the report counts: --synthesize's, the default one without it.
    SynthesisTarget target;
};
