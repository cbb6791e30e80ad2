#include "core_model/core_models.h"

namespace zorvex::core {

ConvQzramModel::ConvQzramModel(const CoreSettings& settings)
    : settings_(settings), core_(settings, MemoryKind::Internal), ram_(MemoryWords(settings), true),
      pipe_(static_cast<std::size_t>(PipelineCycles(settings, MemoryKind::Internal)))
{
}

ConvQzramCycle ConvQzramModel::Edge(const CycleInput& in)
{
    const bool discrete = settings_.type == IntType::Block;
    const AddressStep step = core_.Peek(in.syncIn);
    ConvQzramCycle cycle;
    cycle.nextDin = discrete && step.writeEnable;
    if (in.clockEnable) {
        // The output pipeline moves first: it takes what the last edge left in the memory output.
        for (std::size_t k = pipe_.size() - 1; k > 0; --k)
            pipe_[k] = pipe_[k - 1];
        const StepFlags& flags = core_.flags();
        pipe_[0].data = flags.bypass ? dinQ_ : ram_.q();
        pipe_[0].mark = flags.mark;
        pipe_[0].read = flags.read;
        dinQ_ = in.din;
        ram_.Edge(step.addr, step.writeEnable, step.addr, in.din);
    }
    core_.Edge(in.syncIn, in.clockEnable);
    const Stage& out = pipe_.back();
    cycle.dout = out.data;
    cycle.syncOut = !discrete && out.mark;
    cycle.doutValid = discrete && out.read;
    return cycle;
}

GenaddrModel::GenaddrModel(const CoreSettings& settings, bool ramWritesLate)
    : settings_(settings), core_(settings, MemoryKind::External), ram_(ExternalWords(settings), ramWritesLate)
{
}

GenaddrCycle GenaddrModel::Edge(const CycleInput& in)
{
    const bool discrete = settings_.type == IntType::Block;
    const AddressStep step = core_.Peek(in.syncIn);
    GenaddrCycle cycle;
    cycle.readAddr = step.addr;
    cycle.writeAddr = discrete ? 0 : step.addr;
    cycle.blockWriteEnable = discrete && step.writeEnable;
    if (in.clockEnable)
        ram_.Edge(step.addr, step.writeEnable, step.addr, in.din);
    core_.Edge(in.syncIn, in.clockEnable);
    const StepFlags& flags = core_.flags();
    cycle.syncOut = !discrete && flags.mark;
    cycle.blockFull = discrete && flags.read;
    cycle.blockEmpty = discrete && !flags.read;
    cycle.ramOut = ram_.q();
    return cycle;
}

ConvQzramCycle StreamOf(const GenaddrCycle& cycle)
{
    ConvQzramCycle stream;
    stream.nextDin = cycle.blockWriteEnable;
    stream.dout = cycle.ramOut;
    stream.syncOut = cycle.syncOut;
    stream.doutValid = cycle.blockFull;
    return stream;
}

namespace {

// Either core behind one interface, for the pair.
class AnyCore {
public:
    AnyCore(const CoreSettings& settings, MemoryKind memory, bool ramWritesLate = false)
        : memory_(memory), internal_(settings), external_(settings, ramWritesLate)
    {
    }
    ConvQzramCycle Edge(const CycleInput& in, GenaddrCycle& addresses)
    {
        if (memory_ == MemoryKind::Internal)
            return internal_.Edge(in);
        addresses = external_.Edge(in);
        return StreamOf(addresses);
    }

private:
    MemoryKind memory_;
    ConvQzramModel internal_;
    GenaddrModel external_;
};

} // namespace

std::vector<ConvQzramCycle> RunCore(const CoreSettings& settings, MemoryKind memory,
                                    const std::vector<CycleInput>& inputs)
{
    AnyCore core(settings, memory);
    std::vector<ConvQzramCycle> cycles;
    cycles.reserve(inputs.size());
    GenaddrCycle unused;
    for (const CycleInput& in : inputs)
        cycles.push_back(core.Edge(in, unused));
    return cycles;
}

std::vector<PairCycle> RunPair(const CoreSettings& settings, MemoryKind memory, const std::vector<CycleInput>& inputs,
                               bool ramWritesLate)
{
    CoreSettings interleaverSettings = settings;
    interleaverSettings.mode = IntMode::Interleaver;
    CoreSettings deinterleaverSettings = settings;
    deinterleaverSettings.mode = IntMode::Deinterleaver;
    AnyCore interleaver(interleaverSettings, memory, ramWritesLate);
    AnyCore deinterleaver(deinterleaverSettings, memory, ramWritesLate);
    const bool discrete = settings.type == IntType::Block;
    std::vector<PairCycle> cycles;
    cycles.reserve(inputs.size());
    ConvQzramCycle last; // the interleaver's outputs in the cycle before the edge
    bool seenValid = false;
    for (const CycleInput& in : inputs) {
        PairCycle cycle;
        CycleInput chained;
        chained.din = last.dout;
        chained.clockEnable = in.clockEnable;
        if (discrete) {
            chained.syncIn = last.doutValid && !seenValid;
            if (in.clockEnable)
                seenValid = seenValid || last.doutValid;
        } else {
            chained.syncIn = last.syncOut;
        }
        cycle.interleaver = interleaver.Edge(in, cycle.interleaverAddresses);
        cycle.deinterleaver = deinterleaver.Edge(chained, cycle.deinterleaverAddresses);
        last = cycle.interleaver;
        cycles.push_back(cycle);
    }
    return cycles;
}

} // namespace zorvex::core
