#pragma once

#include "simulation/simulation_plan.h"

#include <string>

// The testbench that plays a plan's stimulus (stimulusFile) on the design in the design's language
// and records its outputs before every rising edge (recordFile).
std::string TestbenchName(const std::string& design);

// The files of a design's testbench, named after the design so that they can be kept beside it:
// the testbench (<base>_tb.vhd or .v), the stimulus it reads (<base>_stimulus.txt), the record it
// writes (<base>_record.txt) and its waveform (<base>_sim.vcd). The testbench opens the last three
// by these names in the folder it runs in.
struct TestbenchFiles {
    std::string testbench;
    std::string stimulus;
    std::string record;
    std::string waveform;
};
TestbenchFiles TestbenchFilesOf(const std::string& design, const std::string& extension);
// The VHDL testbench instantiates the design's entity in the working library, which itself
// instantiates the library module's entity, so that nothing is left to bind.
std::string VhdlTestbench(const SimulationPlan& plan, const std::string& design, const std::string& stimulusFile,
                          const std::string& recordFile);
// The Verilog testbench also dumps the design's ports to vcdFile.
std::string VerilogTestbench(const SimulationPlan& plan, const std::string& design, const std::string& stimulusFile,
                             const std::string& recordFile, const std::string& vcdFile);
