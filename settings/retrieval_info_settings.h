#pragma once

#include "settings/interleaver_settings.h"

#include <string>

// The retrieval information of settings, as the wizard writes it up to the symbol.
std::string RetrievalInfoOfSettings(const InterleaverSettings& settings);

// Reads the settings stored in retrievalInfo into settings, as the wizard restores them. False when
// they cannot be read.
bool SettingsOfRetrievalInfo(const std::string& retrievalInfo, InterleaverSettings& settings);
