#pragma once

#include "design/design.h"
#include "design/design_contents.h"
#include "platform/run_limits.h"
#include "tarnwick/run_summary.h"

#include <string>

// --synthesize: synthesises the library core that the design's retrieval information (contents)
// describes, with the core settings it stores, for the iCE40 HX8K from the core's installed Verilog
// source, also for a .vhd design (the core's Verilog twin, with the same generics and structure).
bool SynthesizeForRun(const Design& design, const DesignContents& contents, RunLimits& limits, RunSummary& summary);
