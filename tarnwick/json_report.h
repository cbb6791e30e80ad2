#pragma once

#include "tarnwick/run_summary.h"

#include <functional>
#include <string>

// The version of the report's layout, which its JSON Schema describes; raised when a field changes
// its meaning or goes.
constexpr int kRunReportSchemaVersion = 3;

// The outcome as one word a script can test: finished, cancelled, back or start-up-failed for
// the wizard's exit statuses, simulated for a --simulate-only run that passed, refused when
// tarnwick turned the run down, failed for the rest.
std::string OutcomeKeyword(const RunSummary& run);

// The run as one JSON object, as docs/schema/tarnwick-report.schema.json describes it; exists tells
// whether a file is there.
std::string RunReportJson(const RunSummary& run, const std::function<bool(const std::string&)>& exists);
