#pragma once

#include "design/design.h"
#include "design/design_contents.h"
#include "platform/run_limits.h"
#include "tarnwick/run_summary.h"

#include <string>

// --synthesize: synthesises the library core that the design's retrieval information (contents)
// describes, with the core settings it stores, for the iCE40 HX8K from the core's
// installed Verilog source, also for a .vhd design (the core's Verilog twin, with the same
// generics and structure). It runs before the design's files are installed, each tool within
// limits as a simulator step runs. The outcome goes into summary, also when the core does not fit
// the device, which is a figure of the variation and not a failure. False when the design's files
// must stay as they were: the synthesis could not run or failed (status 125 and the reason in
// summary), or a signal ended it (status 128 + N; the signal is kept in limits.endSignal).
// design is named in a reason.
bool SynthesizeForRun(const Design& design, const DesignContents& contents, RunLimits& limits, RunSummary& summary);
