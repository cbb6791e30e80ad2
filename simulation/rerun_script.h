#pragma once

#include "simulation/simulation_plan.h"
#include "simulation/simulator_run.h"

#include <string>
#include <vector>

// What a kept testbench needs beside its own files (see TestbenchFilesOf): the outputs the
// reference model expects in the record's form (<base>_expected.txt) and the script that reruns
// the testbench and checks its record against them (<base>_sim.sh).
std::string ExpectedOutputsName(const std::string& design);
std::string RerunScriptName(const std::string& design);

// The POSIX shell script that reruns the testbench of design (its base name; extension .vhd or .v)
// with simulator (never Default) from the files beside it: sources are the library files and the
// design file in the order they are compiled (a Verilog include file among them is found through
// the include path instead), the testbench is compiled last. It runs the simulation in a temporary
// folder of its own, leaves the record and the waveform beside the design and compares the record
// with the expected outputs as the run's check does, a '-' value mattering not. Its exit status is
// 0 when every output matches, 1 when one differs (the first named) or the record is not whole,
// and 2 when the simulation cannot run.
std::string RerunScript(const SimulationPlan& plan, const std::string& design, const std::string& extension,
                        Simulator simulator, const std::vector<std::string>& sources);
