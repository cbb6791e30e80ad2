#include "design/design_contents.h"

#include "design_files/design_files.h"
#include "platform/printable_text.h"
#include "platform/regular_file.h"
#include "settings/flag_groups.h"
#include "settings/settings_mapping.h"

#include <sstream>

using namespace zorvex::core;

bool CoreOfSettings(const InterleaverSettings& stored, CoreSettings& core, MemoryKind& memory, std::string& error)
{
    for (const FlagGroup& group : kFlagGroups) {
        const std::string problem = FlagGroupProblem(group, stored);
        if (!problem.empty()) {
            error = "the stored settings name no single algorithm, direction and memory for the core: " + problem;
            return false;
        }
    }
    core.type = stored.CONVOLUTIONAL == 1 ? IntType::Convolutional
        : stored.BLOCK == 1               ? IntType::Block
                                          : IntType::BlockContinous;
    core.depth = stored.CHARACTERISTIC_I;
    core.delay = stored.CHARACTERISTIC_J;
    core.mode = stored.INTERLEAVER == 1 ? IntMode::Interleaver : IntMode::Deinterleaver;
    core.width = stored.SYMBOL_WIDTH;
    memory = stored.INTERNAL_DPRAM == 1 ? MemoryKind::Internal : MemoryKind::External;
    return Validate(core, error);
}

DesignContents DesignContents::Read(const std::string& cnxPath)
{
    DesignContents contents;
    contents.path = cnxPath;
    contents.readable = ReadRegularFile(cnxPath, kMaxRetrievalInfoSize, contents.text);
    if (!contents.readable)
        return contents;
    std::istringstream in(contents.text);
    contents.model.Read(in);
    LoadSettingsFromModel(contents.settings, contents.model);
    contents.module = LibraryModuleName(contents.model);
    return contents;
}

bool DesignContents::Core(CoreSettings& core, MemoryKind& memory, std::string& error) const
{
    if (!readable) {
        error = "cannot read the design's retrieval information " + PrintableText(path);
        return false;
    }
    if (!CoreOfSettings(settings, core, memory, error)) {
        error = PrintableText(path) + ": " + error;
        return false;
    }
    if (module.empty()) {
        error = PrintableText(path) + " names no library module";
        return false;
    }
    return true;
}
