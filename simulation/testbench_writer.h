#pragma once

#include "simulation/simulation_plan.h"

#include <string>

// The testbench that plays a plan's stimulus on the design, in the design's language: it reads
// the stimulus from the file stimulusFile line by line, waits until each line's time, records
// the outputs to recordFile when the line asks for it (one line of binary values, 'x' for a bit
// that is neither 0 nor 1) and then applies the line's values, the clock last. Its top level is
// named TestbenchName(design), its signals after the design's ports.
std::string TestbenchName(const std::string& design);
// The VHDL testbench instantiates the design's entity in the working library, which itself
// instantiates the library module's entity, so that nothing is left to bind.
std::string VhdlTestbench(const SimulationPlan& plan, const std::string& design, const std::string& stimulusFile,
                          const std::string& recordFile);
// The Verilog testbench also dumps the design's ports to vcdFile.
std::string VerilogTestbench(const SimulationPlan& plan, const std::string& design, const std::string& stimulusFile,
                             const std::string& recordFile, const std::string& vcdFile);
