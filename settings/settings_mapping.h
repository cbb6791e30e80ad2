#pragma once

#include "model/interface_model.h"
#include "settings/interleaver_settings.h"

#include <string>
#include <vector>

// The library module that the variation instantiates: "conv_qzram" with internal memory,
// "genaddr" with external memory (the latter wins when both flags are set), empty with neither.
std::string ModuleName(const InterleaverSettings& settings);

// Adds the variation's description to the model: the module's constants, the block's ports with
// their connections to the module's inner points, and the twelve settings as private values.
// The model is neither cleared nor given its module item here.
void AddInterleaverEntries(const InterleaverSettings& settings, InterfaceModel& model);

// The names of the twelve settings as private values.
std::vector<std::string> PrivateSettingNames();

// Takes every setting back from the model's private values; a setting without a stored value
// keeps its current value, a stored text without leading digits gives 0.
void LoadSettingsFromModel(InterleaverSettings& settings, const InterfaceModel& model);
