#pragma once

#include "settings/interleaver_settings.h"

#include <string>
#include <vector>

// One setting given on tarnwick's command line, by the name the retrieval information stores it
// under.
struct SettingOverride {
    std::string name;
    int value = 0;
    bool operator==(const SettingOverride&) const = default;
};

// Reads "KEY=VALUE" as --set takes it: KEY is one of the twelve private names, or I, J, W, N or B
// for the five numbers; VALUE a whole number, 0 or 1 for a flag. Appends the override.
bool ParseSetOverride(const std::string& text, std::vector<SettingOverride>& overrides, std::string& error);

// Reads a choice as the pages make it: option is "algorithm" (convolutional or block),
// "direction" (interleaver or deinterleaver) or "memory" (internal or external). Appends the flags
// the page's click sets. False with the reason in error for an unknown choice.
bool ParseChoiceOverride(const std::string& option, const std::string& choice, std::vector<SettingOverride>& overrides,
                         std::string& error);

// Checks the numbers among the overrides as leaving the characteristics page checks them: in the
// same order, against the same ranges; the last value given for a setting counts. False with the
// page's message for the first one outside.
bool CheckOverrideRanges(const std::vector<SettingOverride>& overrides, std::string& error);

// Checks all five numbers of settings, stored or given, as leaving the characteristics page checks
// them. False with the page's message for the first one outside its range.
bool CheckSettingRanges(const InterleaverSettings& settings, std::string& error);

// Applies the overrides in order, so that the last one for a setting wins.
void ApplyOverrides(const std::vector<SettingOverride>& overrides, InterleaverSettings& settings);

// What keeps settings from being settings the pages could make: for each group, a flag that is
// neither 0 nor 1, no flag set, or more than one, each named with the option that sets the group
// right. Empty when there is nothing.
std::vector<std::string> FlagGroupProblems(const InterleaverSettings& settings);
