#pragma once

#include <optional>
#include <vector>

#include "core_model/address_core.h"
#include "core_model/core_cycle.h"
#include "core_model/core_settings.h"
#include "core_model/sync_ram.h"

namespace zorvex::core {

// conv_qzram, edge by edge: the address core, its RAM of MemoryWords words and the output
// pipeline of PipelineCycles registers. The RAM block takes each write at the next enabled
// edge, so a word read at the symbol after its write is undefined (the RAM block's own read
// of a word written at the same edge).
class ConvQzramModel {
public:
    explicit ConvQzramModel(const CoreSettings& settings);
    ConvQzramCycle Edge(const CycleInput& in);

private:
    struct Stage {
        std::optional<std::uint64_t> data;
        bool mark = false;
        bool read = false;
    };
    CoreSettings settings_;
    AddressCore core_;
    SyncRam ram_;
    std::optional<std::uint32_t> lastWrite_; // the address the last symbol wrote
    bool readUndefined_ = false; // the last symbol read the word written before it
    std::optional<std::uint64_t> dinQ_;
    std::vector<Stage> pipe_;
};

// genaddr and the external RAM it addresses, edge by edge. A RAM that writes late takes each
// write at the next enabled edge, as conv_qzram's does: a word read at the symbol after its
// write is then undefined.
class GenaddrModel {
public:
    explicit GenaddrModel(const CoreSettings& settings, bool ramWritesLate = false);
    GenaddrCycle Edge(const CycleInput& in);

private:
    CoreSettings settings_;
    AddressCore core_;
    SyncRam ram_;
    bool ramWritesLate_;
    std::optional<std::uint32_t> lastWrite_; // the address the last symbol wrote
    bool readUndefined_ = false; // the last symbol read the word written before it
};

// One core's stream outputs whichever memory it uses: genaddr's RAM output is its dout,
// block_full its dout_valid and block_write_enable its next_din.
ConvQzramCycle StreamOf(const GenaddrCycle& cycle);

// Both cores of an interleaver followed by its deinterleaver, edge by edge.
struct PairCycle {
    ConvQzramCycle interleaver;
    ConvQzramCycle deinterleaver;
    GenaddrCycle interleaverAddresses; // MemoryKind::External only
    GenaddrCycle deinterleaverAddresses; // MemoryKind::External only
};

// Runs the interleaver of settings on the inputs and the deinterleaver on its output, connected as
// the cores' testbench connects them (the mode of settings is ignored).
std::vector<PairCycle> RunPair(const CoreSettings& settings, MemoryKind memory, const std::vector<CycleInput>& inputs,
                               bool ramWritesLate = false);

// One core on the inputs, as stream outputs.
std::vector<ConvQzramCycle> RunCore(const CoreSettings& settings, MemoryKind memory,
                                    const std::vector<CycleInput>& inputs);

} // namespace zorvex::core
