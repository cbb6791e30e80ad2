#pragma once

#include "core_model/core_settings.h"
#include "simulation/simulation_check.h"

#include <string>
#include <vector>

// Simulates the interleaver of core followed by its deinterleaver, built on memory (conv_qzram,
// or genaddr with the synchronous RAM), with the library's own testbench tb_core: both clock
// enables 1 from the first edge on, sync_in at it, seeded random symbols. It measures the
// latency from the first symbol taken to the first put out and checks that every symbol that
// had time to come out is on the deinterleaver's dout unchanged after that latency. sources are
// the library files in compilation order (the cores, tb_stage, tb_core) of the design's
// language; vhdl chooses ghdl, else iverilog, which finds the files they include beside them.
// pageLatency is the figure the memory page shows.
// False with the reason when a simulator fails or its record does not read.
bool SimulatePair(const zorvex::core::CoreSettings& core, zorvex::core::MemoryKind memory, bool vhdl,
                  const std::vector<std::string>& sources, std::int64_t pageLatency, PairOutcome& outcome,
                  std::string& error);

// The units the pair's testbench compiles, in order; each is a library file <unit>.vhd / .v.
const std::vector<std::string>& PairTestbenchUnits();

// What is wrong with the pair's run, as the rest of a sentence about the pair ("returned no
// symbol", "has a latency of ..."); empty when every symbol came back after the cores' latency
// and, with conv_qzram, that latency is the one the memory page shows.
std::string PairFault(const PairOutcome& outcome);
