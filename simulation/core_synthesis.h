#pragma once

#include "core_model/core_settings.h"
#include "simulation/simulator_run.h"

#include <cstdint>
#include <string>
#include <vector>

// What synthesis of a core for a device showed. A core whose memory needs more RAM blocks than
// the device has does not fit: then only ramBlocks (what it needs) and ramBlocksAvailable are
// known, and the other figures stay 0.
struct SynthesisOutcome {
    std::string module;         // the library core synthesised, "conv_qzram" or "genaddr"
    std::string device;         // "iCE40 HX8K (ct256)"
    bool fits = true;
    std::int64_t luts = 0;      // logic cells (ICESTORM_LC) used
    std::int64_t flipFlops = 0; // the synthesised design's SB_DFF* cells
    std::int64_t ramBlocks = 0; // ICESTORM_RAM used, or at least needed when the core does not fit
    std::int64_t ramBlocksAvailable = 0;
    double fmaxMHz = 0;         // nextpnr's maximum frequency for the clock after routing
};

// nextpnr's Fmax for the clock after routing: the last "Max frequency for clock '...': F MHz"
// line (it prints one after placement and one after routing; the cores have one clock). False
// when there is none, or F is not a finite positive number.
bool FmaxFromLog(const std::string& log, double& mhz);

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

// The synthesis as a line of text for the report: the core, the device and the figures, or what
// keeps the core from fitting.
std::string DescribeSynthesis(const SynthesisOutcome& outcome);
