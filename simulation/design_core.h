#pragma once

#include "core_model/core_settings.h"

#include <string>

struct InterleaverSettings;

// The core that settings the wizard stored describe: its generics and whether it keeps its symbols
// in its own RAM. False with the reason when a flag group names no single choice or a number lies
// outside the cores' ranges.
bool CoreOfSettings(const InterleaverSettings& stored, zorvex::core::CoreSettings& core,
                    zorvex::core::MemoryKind& memory, std::string& error);

// The core a design's retrieval information at cnxPath describes, as CoreOfSettings reads it from
// the settings stored there, and the library module its connections name ("conv_qzram" or
// "genaddr"). False with the reason, naming the file, when it cannot be read, its settings make no
// core, or it names no library module.
bool CoreOfRetrievalInfo(const std::string& cnxPath, zorvex::core::CoreSettings& core,
                         zorvex::core::MemoryKind& memory, std::string& module, std::string& error);
