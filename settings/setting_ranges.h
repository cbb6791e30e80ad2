#pragma once

#include "settings/interleaver_settings.h"

#include <array>
#include <string_view>

// The accepted range of one of the five numbers, with the text put back into its box and the
// message the user is shown when it is left outside. A symbol width of 1 is accepted although the
// message names 2 as the lower bound.
struct SettingRange {
    int InterleaverSettings::*setting;
    std::string_view name; // the private value's name
    int low;
    int high;
    const char* resetText;
    const char* message;

    bool Contains(int value) const { return value >= low && value <= high; }
};

// The ranges in the order the user is told of them: only the first failure is reported.
extern const std::array<SettingRange, 5> kSettingRanges;
