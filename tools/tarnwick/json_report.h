#pragma once

#include "tools/tarnwick/run_report.h"

#include <string>
#include <utility>
#include <vector>

// What the JSON report tells of a run.
struct RunSummary {
    int waitStatus = 0;
    std::string design;
    std::vector<std::pair<int, int>> pageExits;
    std::vector<RunFile> files;
};

// The run as one JSON object: exitStatus and outcome, design, pageExits as [x, y] pairs, files
// with whether each exists (and, for a host's file tarnwick tried to make, made and the reason
// when it was not), and, when the design's retrieval information can be read, the twelve
// settings it stores by their names and the figures derived from them. exists tells whether a
// file is there.
std::string RunReportJson(const RunSummary& run, const std::function<bool(const std::string&)>& exists);
