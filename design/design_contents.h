#pragma once

#include "core_model/core_settings.h"
#include "model/interface_model.h"
#include "settings/interleaver_settings.h"

#include <string>

// The core that settings the wizard stored describe: its generics and whether it keeps its symbols
// in its own RAM. False with the reason when a flag group names no single choice or a number lies
// outside the cores' ranges.
bool CoreOfSettings(const InterleaverSettings& stored, zorvex::core::CoreSettings& core,
                    zorvex::core::MemoryKind& memory, std::string& error);

// A design's retrieval information read once: its text, model, settings and library module.
struct DesignContents {
    std::string path;
    bool readable = false; // false: the file is missing, too large or not a regular file
    std::string text;
    InterfaceModel model;
    InterleaverSettings settings;
    std::string module; // "conv_qzram" or "genaddr"; empty when the connections name none

    static DesignContents Read(const std::string& cnxPath);

    // The core the settings make and the library module, as CoreOfSettings reads them. False with
    // the reason, naming the file, when it was not read, makes no core or names no module.
    bool Core(zorvex::core::CoreSettings& core, zorvex::core::MemoryKind& memory, std::string& error) const;
};
