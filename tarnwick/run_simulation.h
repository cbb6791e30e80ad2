#pragma once

#include "simulation/design_simulation.h"
#include "tarnwick/design_run.h"
#include "tarnwick/tarnwick_options.h"

class DesignInstall;

// Simulates a design for a run that holds its lock; the waveform goes into install beside the
// design, to be put in place with its other files. The outcome, or why it failed (status 125), goes
// into summary.
bool SimulateForRun(const DesignToSimulate& design, RunLimits& limits, DesignInstall& install, RunSummary& summary);

// The files beside design that its simulation makes: the waveform and its view and, when the
// testbench is kept, the testbench's files and the script that reruns it.
std::vector<std::string> SimulationFiles(const Design& design, bool testbench);

// With --testbench: the kept testbench's path when it is the design file of another design beside
// design (one with a .cnx of that name), which it must not replace; empty when it is not.
std::string TestbenchClash(const Design& design);

// --simulate-only: simulates the design's installed files under the design's lock, which stays
// held in the result until the caller lets it go, and replaces the waveform beside it only when
// the simulation passed.
DesignRunResult SimulateInstalledDesign(const TarnwickOptions& options);
