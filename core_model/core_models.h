#pragma once

#include <optional>
#include <vector>

#include "core_model/address_core.h"
#include "core_model/core_cycle.h"
#include "core_model/core_settings.h"
#include "core_model/sync_ram.h"

namespace zorvex::core {

// conv_qzram, edge by edge: the address core, its RAM of MemoryWords words and the output
// pipeline of PipelineCycles registers. Its RAM writes late (SyncRam).
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
    std::optional<std::uint64_t> dinQ_;
    std::vector<Stage> pipe_;
};

// genaddr and the external RAM it addresses, edge by edge; the RAM may write late (SyncRam), as
// conv_qzram's does.
class GenaddrModel {
public:
    explicit GenaddrModel(const CoreSettings& settings, bool ramWritesLate = false);
    GenaddrCycle Edge(const CycleInput& in);

private:
    CoreSettings settings_;
    AddressCore core_;
    SyncRam ram_;
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
