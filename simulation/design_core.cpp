#include "simulation/design_core.h"

#include "design_files/design_files.h"
#include "settings/flag_groups.h"
#include "settings/interleaver_settings.h"
#include "settings/settings_mapping.h"
#include "model/interface_model.h"
#include "platform/printable_text.h"
#include "platform/regular_file.h"

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

bool CoreOfRetrievalInfo(const std::string& cnxPath, CoreSettings& core, MemoryKind& memory, std::string& module,
                         std::string& error)
{
    std::string stored;
    if (!ReadRegularFile(cnxPath, kMaxRetrievalInfoSize, stored)) {
        error = "cannot read the design's retrieval information " + PrintableText(cnxPath);
        return false;
    }
    InterfaceModel model;
    std::istringstream in(stored);
    model.Read(in);
    InterleaverSettings settings;
    LoadSettingsFromModel(settings, model);
    if (!CoreOfSettings(settings, core, memory, error)) {
        error = PrintableText(cnxPath) + ": " + error;
        return false;
    }
    module = LibraryModuleName(model);
    if (module.empty()) {
        error = PrintableText(cnxPath) + " names no library module";
        return false;
    }
    return true;
}
