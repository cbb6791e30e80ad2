#include "core_model/core_settings.h"

namespace zorvex::core {

std::string TypeGeneric(IntType type)
{
    switch (type) {
    case IntType::Convolutional:
        return "CONVOLUTIONAL";
    case IntType::Block:
        return "BLOCK";
    case IntType::BlockContinous:
        return "BLOCK_CONTINOUS";
    }
    return {};
}

std::string ModeGeneric(IntMode mode)
{
    return mode == IntMode::Interleaver ? "INTERLEAVER" : "DEINTERLEAVER";
}

bool Validate(const CoreSettings& settings, std::string& message)
{
    if (settings.depth < 2 || settings.depth > 40) {
        message = "INT_DEPTH must lie in 2 - 40";
        return false;
    }
    if (settings.delay < 2 || settings.delay > 500) {
        message = "SYMBOL_DELAY must lie in 2 - 500";
        return false;
    }
    if (settings.width < 1 || settings.width > 64) {
        message = "SYMBOL_WIDTH must lie in 1 - 64";
        return false;
    }
    message.clear();
    return true;
}

int BitLength(std::int64_t x)
{
    int bits = 0;
    while (x > 0) {
        ++bits;
        x >>= 1;
    }
    return bits;
}

int AddressWidth(const CoreSettings& settings)
{
    const std::int64_t i = settings.depth;
    const std::int64_t j = settings.delay;
    if (settings.type == IntType::Convolutional)
        return BitLength(i) + BitLength(j * (i - 1));
    return BitLength(i) + BitLength(j);
}

std::int64_t MemoryWords(const CoreSettings& settings)
{
    const std::int64_t i = settings.depth;
    const std::int64_t j = settings.delay;
    if (settings.type == IntType::Convolutional)
        return i * (i - 1) * j / 2;
    return i * j;
}

std::int64_t ExternalWords(const CoreSettings& settings)
{
    // genaddr's branches each hold one symbol more than conv_qzram's, branch 0 included.
    if (settings.type == IntType::Convolutional)
        return MemoryWords(settings) + settings.depth;
    return MemoryWords(settings);
}

int PipelineCycles(const CoreSettings& settings, MemoryKind memory)
{
    // genaddr's memory output is the core's output: its read lands right after the edge.
    if (memory == MemoryKind::External)
        return 0;
    // conv_qzram: one register selects between the memory and the zero-delay path (convolutional)
    // or takes the memory word (block), one more is the dout register for convolutional cores,
    // and the interleaver retimes its output once more.
    const int base = settings.type == IntType::Convolutional ? 2 : 1;
    return base + (settings.mode == IntMode::Interleaver ? 1 : 0);
}

std::int64_t PairLatencyCycles(const CoreSettings& settings, MemoryKind memory)
{
    CoreSettings interleaver = settings;
    interleaver.mode = IntMode::Interleaver;
    CoreSettings deinterleaver = settings;
    deinterleaver.mode = IntMode::Deinterleaver;
    const std::int64_t i = settings.depth;
    const std::int64_t j = settings.delay;
    // The deinterleaver takes the interleaver's output one edge after it appears.
    const std::int64_t pipes = PipelineCycles(interleaver, memory) + PipelineCycles(deinterleaver, memory) + 1;
    if (settings.type == IntType::Convolutional) {
        // genaddr's branches each hold one symbol more (see AddressCore), I cycles per core.
        const std::int64_t extra = memory == MemoryKind::External ? 2 * i : 0;
        return (i - 1) * j * i + extra + pipes;
    }
    return 2 * i * j + pipes;
}

} // namespace zorvex::core
