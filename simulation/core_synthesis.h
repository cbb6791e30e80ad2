#pragma once

#include "core_model/core_settings.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// What synthesis of a core for a device showed.
struct SynthesisOutcome {
    std::string device;         // "iCE40 HX8K (ct256)"
    std::int64_t luts = 0;      // logic cells (ICESTORM_LC) used
    std::int64_t flipFlops = 0; // the synthesised design's SB_DFF* cells
    std::int64_t ramBlocks = 0; // ICESTORM_RAM used
    double fmaxMHz = 0;         // nextpnr's maximum frequency for the clock after routing
};

// Synthesises the library core module ("conv_qzram" or "genaddr") with core's generics for the
// iCE40 HX8K in the ct256 package: yosys synth_ice40 on sources, then nextpnr-ice40 (seed 1, a
// 12 MHz target that timing may miss, so that a slow core still routes and shows its Fmax).
// sources are the core's Verilog library files and those it builds on, as LibraryModuleCompanions
// gives them; the files they include are found beside them and included files (.vh) among
// sources are not read on their own. Every file the tools make stays in work, a folder the caller
// owns: synthesis.ys, yosys.log, stat.txt, core.json and nextpnr.log. Each tool is stopped when it
// runs longer than timeLimit. False with the reason otherwise: a generic out of range, a tool not
// on PATH (named, to be installed), a tool that failed (the end of its log; a core that does not
// fit the device says which resource it needs more of), the time limit passed, or a figure
// missing from the tools' reports.
bool SynthesizeCore(const std::string& module, const zorvex::core::CoreSettings& core,
                    const std::vector<std::string>& sources, const std::string& work,
                    std::chrono::milliseconds timeLimit, SynthesisOutcome& outcome, std::string& error);
