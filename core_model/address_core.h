#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "core_model/core_settings.h"

namespace zorvex::core {

// What the address generator puts on the memory for the coming edge: registered values of
// which sync_in of that edge chooses. The memory reads the old word at addr and writes there.
struct AddressStep {
    std::uint32_t addr = 0;
    // Discrete block: the edge writes (the core takes din). Always true for the other kinds.
    bool writeEnable = true;
};

// Registered flags that belong to the memory word read at the last enabled edge.
struct StepFlags {
    bool mark = false; // the word is the frame's first symbol (sync_out)
    bool read = false; // discrete block: the edge read an output symbol (dout_valid, block_full)
    bool wrote = false; // discrete block: the edge wrote a symbol (block_empty)
    bool bypass = false; // convolutional, internal: the symbol took the zero-delay branch
};

// The commutator and address counters shared by conv_qzram (MemoryKind::Internal) and genaddr
// (MemoryKind::External), exactly as hdl/qz_addrgen models them.
class AddressCore {
public:
    AddressCore(const CoreSettings& settings, MemoryKind memory);

    // The memory's addresses for an edge whose sync_in is syncIn.
    AddressStep Peek(bool syncIn) const;
    // One rising edge. Without clockEnable only a pending sync_in is remembered.
    void Edge(bool syncIn, bool clockEnable);
    const StepFlags& flags() const { return flags_; }

private:
    struct Comb;
    Comb Evaluate(bool syncIn) const;

    void ConvolutionalEdge(const Comb& c);
    void BlockEdge(const Comb& c);

    CoreSettings settings_;
    MemoryKind memory_;
    // Derived sizes.
    std::int64_t skip_ = 0; // branches before the first FIFO (conv_qzram's interleaver: 1)
    std::vector<std::int64_t> fifoBase_, fifoLength_; // the FIFO regions in commutator order
    std::size_t marksCapacity_ = 0; // 0: branch 0 has no delay, its symbol is marked at once
    std::int64_t blockSize_ = 0; // IJ
    std::int64_t blockStep_ = 0; // J interleaver, I deinterleaver

    // Registers.
    bool pending_ = false;
    std::int64_t branch_ = 0;
    std::vector<std::int64_t> pointer_; // each FIFO's offset within its region
    std::deque<std::uint32_t> marks_; // addresses of marked words in flight, oldest first
    std::int64_t position_ = 0, addr_ = 0, step_ = 1, acc_ = 0;
    bool writePhase_ = true, blockSync_ = false;
    StepFlags flags_;
};

} // namespace zorvex::core
