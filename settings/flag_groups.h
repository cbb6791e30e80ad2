#pragma once

#include "settings/interleaver_settings.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

// A group of flags of which the pages set exactly one, and what it chooses: the algorithm
// (CONVOLUTIONAL, BLOCK, BLOCK_CONTINOUS), the direction (INTERLEAVER, DEINTERLEAVER) and the
// memory (INTERNAL_DPRAM, EXTERNAL_DPRAM).
struct FlagGroup {
    const char* what;
    std::vector<std::pair<const char*, int InterleaverSettings::*>> flags;
};

extern const std::array<FlagGroup, 3> kFlagGroups;

// What keeps group's flags in settings from being ones the pages could make: a flag that is
// neither 0 nor 1, no flag set, or more than one. Empty when there is nothing.
std::string FlagGroupProblem(const FlagGroup& group, const InterleaverSettings& settings);
