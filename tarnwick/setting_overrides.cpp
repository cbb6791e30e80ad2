#include "tarnwick/setting_overrides.h"

#include "platform/printable_text.h"
#include "settings/flag_groups.h"
#include "settings/setting_ranges.h"
#include "settings/settings_mapping.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

// The short names of the five numbers, as the pages' labels call them.
const std::pair<const char*, const char*> kShortNames[] = {
    {"I", "CHARACTERISTIC_I"},      {"J", "CHARACTERISTIC_J"},
    {"W", "SYMBOL_WIDTH"},          {"N", "NUMBER_OF_SYMBOL_PER_CODEWORD"},
    {"B", "NUMBER_OF_BURST_ERROR"},
};

bool IsNumber(const std::string& name)
{
    return std::any_of(kSettingRanges.begin(), kSettingRanges.end(),
                       [&](const SettingRange& range) { return range.name == name; });
}

// A choice of a page: the value, and the flags a click on it sets.
struct Choice {
    const char* option;
    const char* value;
    std::vector<SettingOverride> flags;
};

const Choice kChoices[] = {
    {"algorithm", "convolutional", {{"CONVOLUTIONAL", 1}, {"BLOCK", 0}, {"BLOCK_CONTINOUS", 0}}},
    {"algorithm", "block", {{"BLOCK", 1}, {"CONVOLUTIONAL", 0}, {"BLOCK_CONTINOUS", 0}}},
    {"direction", "interleaver", {{"INTERLEAVER", 1}, {"DEINTERLEAVER", 0}}},
    {"direction", "deinterleaver", {{"DEINTERLEAVER", 1}, {"INTERLEAVER", 0}}},
    {"memory", "internal", {{"INTERNAL_DPRAM", 1}, {"EXTERNAL_DPRAM", 0}}},
    {"memory", "external", {{"EXTERNAL_DPRAM", 1}, {"INTERNAL_DPRAM", 0}}},
};

// How each group of flags is set on tarnwick's command line, in the order of kFlagGroups.
const std::array<const char*, kFlagGroups.size()> kGroupOptions = {
    "--algorithm convolutional, --algorithm block or --set BLOCK_CONTINOUS=1",
    "--direction interleaver or --direction deinterleaver",
    "--memory internal or --memory external",
};

} // namespace

bool ParseSetOverride(const std::string& text, std::vector<SettingOverride>& overrides, std::string& error)
{
    const size_t equals = text.find('=');
    if (equals == std::string::npos) {
        error = "--set needs KEY=VALUE, not \"" + PrintableText(text) + "\"";
        return false;
    }
    std::string name = text.substr(0, equals);
    const std::string value = text.substr(equals + 1);
    for (const auto& [shortName, longName] : kShortNames) {
        if (name == shortName)
            name = longName;
    }
    const std::vector<std::string> known = PrivateSettingNames();
    if (std::find(known.begin(), known.end(), name) == known.end()) {
        error = "unknown setting \"" + PrintableText(text.substr(0, equals)) + "\"";
        return false;
    }
    int number = 0;
    const char* const end = value.data() + value.size();
    const auto [last, failure] = std::from_chars(value.data(), end, number);
    if (!value.empty() && failure == std::errc::result_out_of_range && last == end) {
        // A whole number, only too large for any setting: out of its range, as the page says.
        const auto range = std::find_if(kSettingRanges.begin(), kSettingRanges.end(),
                                        [&](const SettingRange& known) { return known.name == name; });
        error = range != kSettingRanges.end() ? std::string(range->message)
                                              : "setting " + name + " is a flag: 0 or 1, not " + value;
        return false;
    }
    if (value.empty() || failure != std::errc() || last != end) {
        error = "setting " + name + " needs a whole number, not \"" + PrintableText(value) + "\"";
        return false;
    }
    if (!IsNumber(name) && number != 0 && number != 1) {
        error = "setting " + name + " is a flag: 0 or 1, not " + value;
        return false;
    }
    overrides.push_back({name, number});
    return true;
}

bool ParseChoiceOverride(const std::string& option, const std::string& choice, std::vector<SettingOverride>& overrides,
                         std::string& error)
{
    std::string known;
    for (const Choice& entry : kChoices) {
        if (option != entry.option)
            continue;
        if (choice == entry.value) {
            overrides.insert(overrides.end(), entry.flags.begin(), entry.flags.end());
            return true;
        }
        known += known.empty() ? entry.value : std::string(" or ") + entry.value;
    }
    error = "--" + option + " takes " + known + ", not \"" + PrintableText(choice) + "\"";
    return false;
}

bool CheckOverrideRanges(const std::vector<SettingOverride>& overrides, std::string& error)
{
    for (const SettingRange& range : kSettingRanges) {
        // Only the last value given for a setting counts.
        const auto last = std::find_if(overrides.rbegin(), overrides.rend(),
                                       [&](const SettingOverride& given) { return given.name == range.name; });
        if (last != overrides.rend() && !range.Contains(last->value)) {
            error = range.message;
            return false;
        }
    }
    return true;
}

bool CheckSettingRanges(const InterleaverSettings& settings, std::string& error)
{
    for (const SettingRange& range : kSettingRanges) {
        if (!range.Contains(settings.*range.setting)) {
            error = range.message;
            return false;
        }
    }
    return true;
}

void ApplyOverrides(const std::vector<SettingOverride>& overrides, InterleaverSettings& settings)
{
    InterfaceModel model;
    for (const SettingOverride& given : overrides) {
        model.Clear();
        model.AddPrivate(given.name, given.value);
        LoadSettingsFromModel(settings, model);
        for (const FlagGroup& group : kFlagGroups) {
            const bool inGroup = std::any_of(group.flags.begin(), group.flags.end(),
                                             [&](const auto& flag) { return given.name == flag.first; });
            for (const auto& [name, member] : group.flags) {
                if (inGroup && given.value == 1 && given.name != name)
                    settings.*member = 0;
            }
        }
    }
}

std::vector<std::string> FlagGroupProblems(const InterleaverSettings& settings)
{
    std::vector<std::string> problems;
    for (size_t group = 0; group < kFlagGroups.size(); ++group) {
        const std::string problem = FlagGroupProblem(kFlagGroups[group], settings);
        if (!problem.empty())
            problems.push_back(problem + ": set it with " + kGroupOptions[group]);
    }
    return problems;
}
