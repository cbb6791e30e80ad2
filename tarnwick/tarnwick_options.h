#pragma once

#include "simulation/simulator_run.h"
#include "synthesis/ice40_devices.h"
#include "tarnwick/setting_overrides.h"

#include <optional>
#include <string>
#include <vector>

// What tarnwick was asked to do: the options it passes on to the wizard, the design file and where
// the wizard's executable is.
struct TarnwickOptions {
    bool newFile = false;
    bool silent = false;
    bool symbolFile = false;
    std::optional<int> pageOffset;
    std::optional<int> cornerX;
    std::optional<int> cornerY;
    std::string wizardPath; // empty: the wizard beside tarnwick, else the one on the search path
    std::string designPath;
    // Settings to change before the wizard runs, in the order given.
    std::vector<SettingOverride> overrides;
    bool json = false;
    bool designFiles = true; // false with --no-design-files
    // Where to write the symbol as SVG after the wizard has finished; empty: nowhere.
    std::string svgPath;
    // How long to wait while another run holds the design.
    int lockTimeoutSeconds = 60;
    // Whether to simulate the design file: after a finished run, or instead of one.
    enum class Simulate { No, AfterRun, Only };
    Simulate simulate = Simulate::No;
    // How long each simulator step may run before it is ended.
    int simulateTimeoutSeconds = 3600;
    // The simulator --simulator names; Default: ghdl for a .vhd design, iverilog for a .v one.
    Simulator simulator = Simulator::Default;
    // Whether the simulation's testbench is kept beside the design with a script that reruns it.
    bool testbench = false;
    // Whether to synthesise the design's core for the iCE40 after a finished run or --simulate-only;
    // each tool runs within simulateTimeoutSeconds.
    bool synthesize = false;
    // Whether to print a plain progress line on standard error at least every 10 s (--progress).
    bool progress = false;
    // The part, timing target and seed of --synthesize (--device, --package, --freq, --seed); the
    // device also sizes the report's RAM blocks.
    SynthesisTarget target;
    bool help = false;
    bool version = false;
};

// The longest wait for a design's lock that --lock-timeout takes, and the longest simulator step
// --simulate-timeout allows: a day. The highest timing target --freq takes, in MHz.
constexpr int kMaxLockTimeoutSeconds = 24 * 60 * 60;
constexpr double kMaxFreqMHz = 1000;

// Parses tarnwick's arguments, the program name excluded. Returns false with a one-line reason in
// error when an option is unknown, a value is missing or out of range, the design file is missing
// or given twice, --simulate-only comes with options for the wizard's run, or --freq or --seed
// without --synthesize.
bool ParseTarnwickOptions(const std::vector<std::string>& args, TarnwickOptions& options, std::string& error);

// The usage text printed by --help.
extern const char* const kTarnwickUsage;

// The line after a command-line error's reason, instead of the whole usage text.
extern const char* const kTarnwickUsageHint;
