#pragma once

#include "design/design.h"
#include "design/design_contents.h"
#include "simulation/simulation_check.h"
#include "simulation/simulation_progress.h"
#include "simulation/simulator_run.h"
#include "simulation/waveform_file.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The testbench a run keeps beside the design, to be rerun without tarnwick: each file to copy
// (from, to beside the design) in the order it is to be installed: library files not beside the
// design yet, the testbench, its stimulus and the outputs the model expects; and the script that
// reruns and checks it, to be written executable at scriptPath.
struct KeptTestbench {
    std::vector<std::pair<std::string, std::string>> copies;
    std::string scriptPath;
    std::string script;
};

// Takes the kept testbench's files (in the simulation's own folder, removed after the call) where
// they are to go. False with the reason when it cannot.
using TestbenchKeeper = std::function<bool(const KeptTestbench& kept, std::string& error)>;

// The files of a design to simulate: the design as the user names it (its name, its language by its
// extension, the folder its waveform goes to), and where its retrieval information and vector file
// are read from.
struct DesignToSimulate {
    Design design;
    // Its retrieval information, read by the caller.
    DesignContents contents;
    std::string vectorFile;
    bool madeFromRetrievalInfo = false;
    // The simulator asked for; Default chooses it by the design's language.
    Simulator simulator = Simulator::Default;
    // Told as the simulation reaches each of its phases (the design, the pair); may be empty.
    std::function<void(const char* phase)> onPhase;
    // Told about once a second how far the phase's simulation is; may be empty.
    SimulationProgress onProgress;
    // Whether the testbench is to be kept beside the design once the simulation has passed its
    // check (--testbench).
    bool keepTestbench = false;
};

// Takes the simulation's whole waveform (a file in the simulation's own folder, removed after
// the call) wherever it is to go, with what a view of it should show. False with the reason when
// it cannot.
using WaveformKeeper = std::function<bool(const std::string& waveform, const WaveformView& view, std::string& error)>;

// Whether design can be simulated with simulator at all: a .vhd design with
// ghdl, a .v design with iverilog (the default) or Verilator, the simulator's programs on PATH.
// False with the reason otherwise.
bool CanSimulate(const Design& design, Simulator simulator, std::string& error);

// Simulates the design (a .vhd with ghdl, a .v with iverilog or Verilator as design.simulator asks)
// on its vector file, in a private temporary folder removed before the pair runs, each simulator
// step within limits. The waveform goes to keepWaveform, and the testbench to keepTestbench when
// design.keepTestbench asks for it.
bool SimulateDesign(const DesignToSimulate& design, const std::string& selfPath, RunLimits& limits,
                    const WaveformKeeper& keepWaveform, const TestbenchKeeper& keepTestbench,
                    SimulationOutcome& outcome, std::string& error);

// The simulation as text for the report: the simulator, the cycles, symbols and the first
// output's cycle, and the mismatches with the first of them.
std::string DescribeSimulation(const SimulationOutcome& outcome);
