#include "tarnwick/core_memory.h"

#include "design/design_contents.h"

using namespace zorvex::core;

bool CoreMemoryOfRetrievalInfo(const std::string& path, const std::string& device, CoreMemory& memory)
{
    const DesignContents contents = DesignContents::Read(path);
    CoreSettings core;
    MemoryKind kind = MemoryKind::Internal;
    std::string ignored;
    const Ice40Device* part = FindIce40Device(device);
    if (part == nullptr || !contents.Core(core, kind, ignored))
        return false;
    memory = CoreMemory();
    memory.module = contents.module;
    memory.external = kind == MemoryKind::External;
    memory.pageWords = contents.settings.memoryWords();
    memory.ramWords = memory.external ? ExternalWords(core) : MemoryWords(core);
    memory.wordBits = core.width;
    memory.ramBlocks = memory.external ? 0 : LeastRamBlocks(memory.ramWords, core.width);
    memory.ramBlocksAvailable = part->ramBlocks;
    memory.device = std::string(part->name);
    memory.shownDevice = std::string(part->shownName);
    return true;
}

std::string DescribeCoreMemory(const CoreMemory& memory)
{
    const std::string words = std::to_string(memory.ramWords) + " words of " + std::to_string(memory.wordBits)
        + (memory.wordBits == 1 ? " bit" : " bits");
    const std::string page = " (the memory page shows " + std::to_string(memory.pageWords) + " words)";
    if (memory.external)
        return "memory: " + memory.module + " keeps no RAM of its own; the RAM outside it holds " + words + page + "\n";
    std::string text = "memory: " + memory.module + " keeps " + words + page + ", at least "
        + std::to_string(memory.ramBlocks) + " of the " + memory.shownDevice + "'s "
        + std::to_string(memory.ramBlocksAvailable) + " RAM blocks";
    if (memory.ramBlocks > memory.ramBlocksAvailable)
        text += ": more than it has; with --memory external the core keeps its symbols in a RAM outside the device";
    return text + "\n";
}
