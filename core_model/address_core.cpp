#include "core_model/address_core.h"

namespace zorvex::core {

struct AddressCore::Comb {
    AddressStep step;
    bool first = false;
    bool keep = true; // no frame start, or one in step: the running frame goes on
    // Convolutional.
    std::int64_t branch = 0;
    std::int64_t fifo = -1; // the FIFO the symbol takes, -1 for the zero-delay branch
    // Block.
    std::int64_t position = 0, addr = 0, stepValue = 1, acc = 0;
    bool writePhase = true;
};

AddressCore::AddressCore(const CoreSettings& settings, MemoryKind memory) : settings_(settings), memory_(memory)
{
    const std::int64_t i = settings.depth;
    const std::int64_t j = settings.delay;
    const std::int64_t extra = memory == MemoryKind::External ? 1 : 0;
    const bool interleaver = settings.mode == IntMode::Interleaver;
    skip_ = interleaver && memory == MemoryKind::Internal ? 1 : 0;
    std::int64_t base = 0;
    for (std::int64_t branch = skip_; branch < i - 1 + extra + skip_; ++branch) {
        const std::int64_t length = (interleaver ? branch : i - 1 - branch) * j + extra;
        fifoBase_.push_back(base);
        fifoLength_.push_back(length);
        base += length;
    }
    pointer_.assign(fifoLength_.size(), 0);
    if (skip_ == 0)
        marksCapacity_ = static_cast<std::size_t>((fifoLength_[0] + j - 1) / j);
    blockSize_ = i * j;
    blockStep_ = interleaver ? j : i;
}

AddressCore::Comb AddressCore::Evaluate(bool syncIn) const
{
    Comb c;
    c.first = syncIn || pending_;
    if (settings_.type == IntType::Convolutional) {
        c.keep = !c.first || branch_ == 0;
        c.branch = c.keep ? branch_ : 0;
        c.fifo = c.branch - skip_;
        const bool delayed = c.fifo >= 0 && c.fifo < static_cast<std::int64_t>(fifoLength_.size());
        if (!delayed)
            c.fifo = -1;
        // The zero-delay branch's edge reads the next FIFO's word (FIFO 0 follows it in both
        // directions), which the output does not take.
        const std::size_t shown = static_cast<std::size_t>(delayed ? c.fifo : 0);
        const std::int64_t offset = c.keep ? pointer_[shown] : 0;
        c.step.addr = static_cast<std::uint32_t>(fifoBase_[shown] + offset);
        c.step.writeEnable = delayed;
        return c;
    }
    c.position = c.first ? 0 : position_;
    c.addr = c.first ? 0 : addr_;
    c.acc = c.position == 0 ? 0 : acc_;
    c.step.addr = static_cast<std::uint32_t>(c.addr);
    if (settings_.type == IntType::Block) {
        c.writePhase = c.first || writePhase_;
        c.stepValue = c.writePhase ? 1 : blockStep_;
        c.step.writeEnable = c.writePhase;
    } else {
        // A sync that cuts a block short starts the layout afresh; one at a block's start keeps it.
        c.stepValue = c.first && position_ != 0 ? 1 : step_;
    }
    return c;
}

AddressStep AddressCore::Peek(bool syncIn) const
{
    return Evaluate(syncIn).step;
}

void AddressCore::Edge(bool syncIn, bool clockEnable)
{
    if (!clockEnable) {
        pending_ = pending_ || syncIn;
        return;
    }
    const Comb c = Evaluate(syncIn);
    pending_ = false;
    if (settings_.type == IntType::Convolutional) {
        ConvolutionalEdge(c);
    } else {
        BlockEdge(c);
    }
}

void AddressCore::ConvolutionalEdge(const Comb& c)
{
    StepFlags next;
    if (!c.keep) {
        pointer_.assign(pointer_.size(), 0);
        marks_.clear();
    }
    if (c.fifo >= 0) {
        std::int64_t& pointer = pointer_[static_cast<std::size_t>(c.fifo)];
        pointer = pointer + 1 == fifoLength_[static_cast<std::size_t>(c.fifo)] ? 0 : pointer + 1;
    }
    if (marksCapacity_ == 0) {
        next.mark = c.first;
    } else if (c.branch == 0) {
        // The word read is marked when the oldest mark in flight was written at its address.
        next.mark = !marks_.empty() && marks_.front() == c.step.addr;
        if (next.mark)
            marks_.pop_front();
        if (c.first && marks_.size() < marksCapacity_)
            marks_.push_back(c.step.addr);
    }
    next.bypass = memory_ == MemoryKind::Internal && c.fifo < 0;
    branch_ = c.branch == settings_.depth - 1 ? 0 : c.branch + 1;
    flags_ = next;
}

void AddressCore::BlockEdge(const Comb& c)
{
    StepFlags next;
    const std::int64_t modulus = blockSize_ - 1;
    const bool lastPosition = c.position == blockSize_ - 1;
    position_ = lastPosition ? 0 : c.position + 1;
    if (lastPosition) {
        addr_ = 0;
    } else if (c.position + 1 == modulus) {
        addr_ = modulus;
    } else {
        const std::int64_t sum = c.addr + c.stepValue;
        addr_ = sum >= modulus ? sum - modulus : sum;
    }
    if (settings_.type == IntType::Block) {
        writePhase_ = lastPosition ? !c.writePhase : c.writePhase;
        next.read = !c.writePhase;
        next.wrote = c.writePhase;
    } else {
        // The next block's step is this block's times blockStep_, summed over its first positions.
        std::int64_t acc = c.acc;
        if (c.position < blockStep_) {
            const std::int64_t sum = acc + c.stepValue;
            acc = sum >= modulus ? sum - modulus : sum;
        }
        acc_ = acc;
        step_ = lastPosition ? acc : c.stepValue;
        if (c.position == 0) {
            next.mark = blockSync_;
            blockSync_ = c.first;
        }
    }
    flags_ = next;
}

} // namespace zorvex::core
