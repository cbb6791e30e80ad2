#pragma once

#include "core_model/core_settings.h"
#include "platform/run_limits.h"
#include "synthesis/synthesis_figures.h"

#include <string>
#include <vector>

// Whether yosys and nextpnr-ice40 are both on PATH and TMPDIR can be given to them; false naming
// the first one missing, or TMPDIR's fault.
bool CanSynthesize(std::string& error);

// Synthesises the library core module ("conv_qzram" or "genaddr") with core's generics for the
// iCE40 HX8K in the ct256 package: yosys synth_ice40 on sources, then nextpnr-ice40 (seed 1, a
// 12 MHz target that timing may miss, so that a slow core still routes and shows its Fmax).
// sources are the core's Verilog library files and those it builds on, as LibraryModuleCompanions
// gives them; the files they include are found beside them and included files (.vh) among
// sources are not read on their own. Every file the tools make stays in work, a folder the caller
// owns: synthesis.ys, yosys.log, stat.txt, core.json and nextpnr.log. Each tool runs as RunStep
// runs a simulator step, within limits (its time, and the signals that ask tarnwick to end).
// conv_qzram's memory is measured against the device's RAM first: one that cannot fit is a true
// return with outcome.fits false at once, without the tools; so is a core nextpnr finds needing
// more RAM blocks than there are. False with the reason otherwise: a generic out of range, a tool
// not on PATH (named, to be installed), a tool that failed (the end of its log; a core that needs
// more of another resource says which), the limits passed, or a figure missing from the tools'
// reports.
bool SynthesizeCore(const std::string& module, const zorvex::core::CoreSettings& core,
                    const std::vector<std::string>& sources, const std::string& work, RunLimits& limits,
                    SynthesisOutcome& outcome, std::string& error);
