#pragma once

#include "core_model/core_settings.h"
#include "simulation/simulation_plan.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// The first recorded output that differs from the reference model.
struct SimulationMismatch {
    std::int64_t cycle = 0;
    std::string port;
    std::string expected; // binary, highest bit first
    std::string got;
};

// What the interleaver -> deinterleaver pair of the design's core showed: the symbol taken at
// edge t should be on the deinterleaver's dout right after edge t + latency.
struct PairOutcome {
    std::string simulator; // the one that ran it: "ghdl", "iverilog" or "verilator"
    std::int64_t cycles = 0;
    // From the first symbol the interleaver took to the first the deinterleaver put out; none
    // when nothing came out.
    std::optional<std::int64_t> measuredLatency;
    std::int64_t expectedLatency = 0; // the cores' own figure (the same as the page's with conv_qzram)
    std::int64_t pageLatency = 0; // the figure the memory page shows
    bool internalMemory = true; // conv_qzram, whose pair the page's figure describes
    std::int64_t symbolsChecked = 0; // symbols that had time to come out
    std::int64_t mismatches = 0; // of them, not on dout unchanged after the measured latency
};

// What a run of the design's simulation showed against the reference model.
struct SimulationOutcome {
    std::string simulator; // "ghdl" or "iverilog"
    std::int64_t cycles = 0; // rising clock edges run
    std::int64_t symbolsIn = 0; // edges with clken high, each taking a symbol
    std::int64_t symbolsOut = 0;
    std::optional<std::int64_t> firstInputCycle;
    // The cycle in which the first symbol that left the core is on its outputs.
    std::optional<std::int64_t> firstOutputCycle;
    std::int64_t checkedValues = 0; // recorded port values compared; don't-care data aside
    std::int64_t mismatches = 0;
    std::optional<SimulationMismatch> firstMismatch;
    std::string vcdPath;
    std::optional<PairOutcome> pair;
    std::int64_t vcdBytes = 0; // the waveform's size
    // The kept testbench's files beside the design (--testbench), the script that reruns it last.
    std::vector<std::string> testbenchFiles;
};

// Compares the outputs recorded by the testbench of plan (one line per recording, the plan's
// outputs as binary strings in order) with the reference model of the core with settings on the
// plan's edges.
bool CheckRecordedOutputs(const std::string& recorded, const SimulationPlan& plan,
                          const zorvex::core::CoreSettings& settings, zorvex::core::MemoryKind memory,
                          SimulationOutcome& outcome, std::string& error);

// Writes what the testbench of plan records when every output is the reference model's: the
// recording's lines with a don't-care value (one the check above skips) as a '-' for each bit.
// False with the reason when an output has no value in the model or out fails.
bool WriteExpectedOutputs(const SimulationPlan& plan, const zorvex::core::CoreSettings& settings,
                          zorvex::core::MemoryKind memory, std::ostream& out, std::string& error);
