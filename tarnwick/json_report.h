#pragma once

#include "tarnwick/run_summary.h"

#include <functional>
#include <string>

// The version of the report's layout, which its JSON Schema describes; raised when a field changes
// its meaning or goes.
constexpr int kRunReportSchemaVersion = 2;

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
