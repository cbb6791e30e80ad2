#pragma once

#include "design/design.h"
#include "design/design_contents.h"
#include "platform/run_limits.h"
#include "synthesis/ice40_devices.h"
#include "tarnwick/run_summary.h"

#include <string>

class DesignInstall;

// --synthesize: synthesises the library core that the design's retrieval information (contents)
// describes, with the core settings it stores, for target from the core's installed Verilog source
// (also for a .vhd design), and adds the tools' log beside the design to install.
bool SynthesizeForRun(const Design& design, const DesignContents& contents, const SynthesisTarget& target,
                      RunLimits& limits, DesignInstall& install, RunSummary& summary);
