#pragma once

#include "platform/run_limits.h"

#include <string>
#include <vector>

// Runs args in folder (a TemporaryFolder's path), in a process group of its own that ends with
// tarnwick, with its output and errors into folder/log and folder/tmp as its TMPDIR; args[0] is
// looked for on PATH from tarnwick's current folder; true when it exits with 0 within limits.
// environment holds variables (NAME=value) the step gets instead of tarnwick's own.
bool RunStep(const std::vector<std::string>& args, const std::string& folder, RunLimits& limits, std::string& error,
             const std::vector<std::string>& environment = {});
