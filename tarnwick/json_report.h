#pragma once

#include "simulation/core_synthesis.h"
#include "simulation/simulation_check.h"
#include "tarnwick/run_report.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The version of the report's layout, which its JSON Schema describes; raised when a field changes
// its meaning or goes.
constexpr int kRunReportSchemaVersion = 2;

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
};

// The outcome as one word a script can test: finished, cancelled, back or start-up-failed for
// the wizard's exit statuses, simulated for a --simulate-only run that passed, refused when
// tarnwick turned the run down, failed for the rest.
std::string OutcomeKeyword(const RunSummary& run);

// The run as one JSON object: schemaVersion, exitStatus (tarnwick's), outcome as OutcomeKeyword
// gives it and outcomeText as a sentence, error when tarnwick failed, design, pageExits as [x, y]
// pairs, files by absolute path with whether each exists (and, for a host's file tarnwick tried
// to make, made and the reason when it was not), changed, inconsistencies, and, when the
// design's retrieval information can be read, the twelve settings it stores by their names and
// the figures derived from them, simulation when the design was simulated and synthesis when its
// core was synthesised. exists tells
// whether a file is there.
std::string RunReportJson(const RunSummary& run, const std::function<bool(const std::string&)>& exists);
