#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What synthesis of a core for a part showed. A core whose memory needs more RAM blocks than the
// device has does not fit: then only ramBlocks (what it needs) and ramBlocksAvailable are known,
// and the other figures stay 0.
struct SynthesisOutcome {
    std::string module; // the library core synthesised, "conv_qzram" or "genaddr"
    std::string device; // as --device names it, "hx8k"
    std::string package; // "ct256"
    std::string shownPart; // "iCE40 HX8K (ct256)"
    double targetMHz = 0; // the timing target nextpnr was given
    int seed = 0; // the seed of nextpnr's placer
    bool fits = true;
    std::int64_t luts = 0; // logic cells (ICESTORM_LC) used
    std::int64_t flipFlops = 0; // the synthesised design's SB_DFF* cells
    std::int64_t ramBlocks = 0; // ICESTORM_RAM used, or at least needed when the core does not fit
    std::int64_t ramBlocksAvailable = 0;
    double fmaxMHz = 0; // nextpnr's maximum frequency for the clock after routing
    bool timingMet = false; // whether nextpnr found the target met after routing
    std::string logPath; // the tools' log kept beside the design; empty until it is
};

// nextpnr's Fmax for the clock after routing: the last "Max frequency for clock '...': F MHz"
// line (it prints one after placement and one after routing; the cores have one clock). False
// when there is none, or F is not a finite positive number.
bool FmaxFromLog(const std::string& log, double& mhz);

// Whether the clock met nextpnr's target after routing: the "(PASS at" or "(FAIL at" of the last
// maximum frequency line. False when there is none.
bool TimingMetFromLog(const std::string& log, bool& met);

// The flip-flops in yosys's statistics: the SB_DFF* cells of the last cell count, which is the
// whole design's when it prints one per module and then the hierarchy's. False without a count.
bool FlipFlopsFromStat(const std::string& stat, std::int64_t& flipFlops);

// One line of nextpnr's device utilisation: "Info:  ICESTORM_LC:   231/ 7680     3%".
struct DeviceUse {
    std::string resource;
    std::int64_t used = 0;
    std::int64_t available = 0;
};

// Every utilisation line of nextpnr's log, in order.
std::vector<DeviceUse> Utilisation(const std::string& log);

// The first utilisation line of resource (nextpnr prints the table once, after packing).
bool UsedOf(const std::vector<DeviceUse>& uses, const std::string& resource, std::int64_t& used);

// The synthesis as text for the report: the core, the part and the figures with whether the
// target was met, or what keeps the core from fitting and the way out; then the log kept.
std::string DescribeSynthesis(const SynthesisOutcome& outcome);
