#pragma once

#include "core_model/core_settings.h"
#include "platform/run_limits.h"
#include "synthesis/ice40_devices.h"
#include "synthesis/synthesis_figures.h"

#include <string>
#include <vector>

// Whether yosys and nextpnr-ice40 are both on PATH and TMPDIR can be given to them; false naming
// the first one missing, or TMPDIR's fault.
bool CanSynthesize(std::string& error);

// Synthesises the library core module with core's generics for target's part (yosys, then
// nextpnr-ice40) from sources, in work, within limits; on a true return work/synthesis.log holds
// what the tools said. False with the reason; a core that cannot fit is a true return.
bool SynthesizeCore(const std::string& module, const zorvex::core::CoreSettings& core,
                    const std::vector<std::string>& sources, const SynthesisTarget& target, const std::string& work,
                    RunLimits& limits, SynthesisOutcome& outcome, std::string& error);
