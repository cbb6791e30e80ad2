#pragma once

#include "synthesis/core_synthesis.h"
#include "platform/run_limits.h"
#include "tarnwick/run_summary.h"

#include <string>

// --synthesize: synthesises the library core that the design's retrieval information at
// retrievalInfo describes, with the core settings it stores, for the iCE40 HX8K from the core's
// installed Verilog source, also for a .vhd design (the core's Verilog twin, with the same
// generics and structure). It runs before the design's files are installed, each tool within
// limits as a simulator step runs. The outcome goes into summary, also when the core does not fit
// the device, which is a figure of the variation and not a failure. False when the design's files
// must stay as they were: the synthesis could not run or failed (status 125 and the reason in
// summary), or a signal ended it (status 128 + N; the signal is kept in limits.endSignal).
// designPath names the design in a reason.
bool SynthesizeForRun(const std::string& designPath, const std::string& retrievalInfo, RunLimits& limits,
                      RunSummary& summary);
