#pragma once

#include "simulation/simulation_check.h"

#include <string>

// Simulates the design file at designPath (a .vhd with ghdl, a .v with iverilog) on the vector
// file ./<base>.vec that the wizard wrote for it, in a private temporary folder removed
// afterwards. The library module's sources come from beside the design, else from where
// FindLibraryModuleSource finds them (selfPath: tarnwick's executable). The outputs recorded
// before every rising clock edge are checked against the reference model of the core the
// design's .cnx describes, and the design's ports are dumped to <dir>/<base>.vcd. False with
// the reason when the simulator is not on PATH, a file is missing or does not parse, or the
// simulator fails; mismatches are a true return with outcome.mismatches counted.
bool SimulateDesign(const std::string& designPath, const std::string& selfPath, SimulationOutcome& outcome,
                    std::string& error);

// The simulation as text for the report: the simulator, the cycles, symbols and the first
// output's cycle, and the mismatches with the first of them.
std::string DescribeSimulation(const SimulationOutcome& outcome);
