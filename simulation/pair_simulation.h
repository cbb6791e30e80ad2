#pragma once

#include "core_model/core_settings.h"
#include "simulation/simulation_check.h"
#include "simulation/simulator_run.h"

#include <cstdint>
#include <string>
#include <vector>

// Simulates the interleaver of core followed by its deinterleaver, built on memory (conv_qzram,
// or genaddr with the synchronous RAM), with the library's own testbench tb_core: both clock
// enables 1 from the first edge on, sync_in at it, seeded random symbols. It measures the
// latency from the first symbol taken to the first put out and checks that every symbol that
// had time to come out is on the deinterleaver's dout unchanged after that latency. sources are
// the library files in compilation order (the cores, tb_stage, tb_core) of the design's
// language, with the files they include, for simulator (ghdl for VHDL; iverilog or Verilator for
// Verilog; not Default). pageLatency is the figure the memory page shows. Each simulator step
// runs within limits. False with the reason when a simulator fails or its record does not read.
bool SimulatePair(const zorvex::core::CoreSettings& core, zorvex::core::MemoryKind memory, Simulator simulator,
                  const std::vector<std::string>& sources, std::int64_t pageLatency, RunLimits& limits,
                  PairOutcome& outcome, std::string& error);

// One edge of a stage as tb_core records it.
struct StageRecord {
    bool taken = false; // the stage's edge took din (next_din or block_write_enable before it)
    bool marked = false; // the stage's output is a symbol: sync_out, or dout_valid / block_full
    std::string dout;
};

// Measures the pair's latency from din (the symbol of every edge), taken (the edges at which the
// interleaver took one, not empty) and out (the deinterleaver's output on each of
// outcome.cycles edges); a discrete block's symbol counts only where it is marked valid. The
// cores run from their initial state before the first sync_in reaches them, so a discrete
// deinterleaver may show an empty block as valid first: the latency is the first distance from the
// first symbol taken to a symbol out at which the whole stream is back. Without such a distance,
// the first one tried, with its count of symbols not returned. Fills measuredLatency,
// symbolsChecked and mismatches.
void MeasurePairLatency(const std::vector<std::string>& din, const std::vector<std::int64_t>& taken,
                        const std::vector<StageRecord>& out, bool discrete, PairOutcome& outcome);

// What is wrong with the pair's run, as the rest of a sentence about the pair ("returned no
// symbol", "has a latency of ..."); empty when every symbol came back after the cores' latency
// and, with conv_qzram, that latency is the one the memory page shows.
std::string PairFault(const PairOutcome& outcome);
