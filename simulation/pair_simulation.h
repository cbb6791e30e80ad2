#pragma once

#include "core_model/core_settings.h"
#include "simulation/simulation_check.h"
#include "simulation/simulation_progress.h"
#include "simulation/simulator_run.h"

#include <cstdint>
#include <string>
#include <vector>

// Simulates the interleaver of core followed by its deinterleaver, built on memory (conv_qzram, or
// genaddr with the synchronous RAM), with the library's own testbench tb_core: both clock enables 1
// from the first edge on, sync_in at it, seeded random symbols. progress, when given, is told
// about once a second how far the run is.
bool SimulatePair(const zorvex::core::CoreSettings& core, zorvex::core::MemoryKind memory, Simulator simulator,
                  const std::vector<std::string>& sources, std::int64_t pageLatency, RunLimits& limits,
                  PairOutcome& outcome, std::string& error, const SimulationProgress& progress = {});

// The clock edges the pair of core on memory runs: its latency and two blocks' worth of symbols in
// each direction after it.
std::int64_t PairCycles(const zorvex::core::CoreSettings& core, zorvex::core::MemoryKind memory);

// One edge of a stage as tb_core records it.
struct StageRecord {
    bool taken = false; // the stage's edge took din (next_din or block_write_enable before it)
    bool marked = false; // the stage's output is a symbol: sync_out, or dout_valid / block_full
    std::string dout;
};

// Measures the pair's latency from din (the symbol of every edge), taken (the edges at which the
// interleaver took one, not empty) and out (the deinterleaver's output on each of outcome.cycles
// edges); a discrete block's symbol counts only where it is marked valid.
void MeasurePairLatency(const std::vector<std::string>& din, const std::vector<std::int64_t>& taken,
                        const std::vector<StageRecord>& out, bool discrete, PairOutcome& outcome);

// What is wrong with the pair's run, as the rest of a sentence about the pair ("returned no
// symbol", "has a latency of ..."); empty when every symbol came back after the cores' latency
// and, with conv_qzram, that latency is the one the memory page shows.
std::string PairFault(const PairOutcome& outcome);
