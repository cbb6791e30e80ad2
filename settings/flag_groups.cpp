#include "settings/flag_groups.h"

using S = InterleaverSettings;

const std::array<FlagGroup, 3> kFlagGroups = {{
    {"algorithm",
     {{"CONVOLUTIONAL", &S::CONVOLUTIONAL}, {"BLOCK", &S::BLOCK}, {"BLOCK_CONTINOUS", &S::BLOCK_CONTINOUS}}},
    {"direction", {{"INTERLEAVER", &S::INTERLEAVER}, {"DEINTERLEAVER", &S::DEINTERLEAVER}}},
    {"memory", {{"INTERNAL_DPRAM", &S::INTERNAL_DPRAM}, {"EXTERNAL_DPRAM", &S::EXTERNAL_DPRAM}}},
}};

std::string FlagGroupProblem(const FlagGroup& group, const InterleaverSettings& settings)
{
    std::string set;
    std::string odd;
    for (const auto& [name, member] : group.flags) {
        const int value = settings.*member;
        if (value == 1)
            set += std::string(set.empty() ? "" : ", ") + name;
        else if (value != 0)
            odd += std::string(odd.empty() ? "" : ", ") + name + " is " + std::to_string(value);
    }
    if (!odd.empty())
        return std::string("the ") + group.what + " flags must be 0 or 1 (" + odd + ")";
    if (set.empty())
        return std::string("no ") + group.what + " is chosen";
    if (set.find(',') != std::string::npos)
        return std::string("more than one ") + group.what + " is chosen (" + set + ")";
    return {};
}
