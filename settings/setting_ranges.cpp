#include "settings/setting_ranges.h"

using S = InterleaverSettings;

const std::array<SettingRange, 5> kSettingRanges = {{
    {&S::CHARACTERISTIC_I, "CHARACTERISTIC_I", 2, 40, "2", "Valid I : 2 - 40"},
    {&S::CHARACTERISTIC_J, "CHARACTERISTIC_J", 2, 500, "2", "Valid J : 2 - 500"},
    {&S::SYMBOL_WIDTH, "SYMBOL_WIDTH", 1, 64, "1", "Valid Symbol Width Range : 2 - 64"},
    {&S::NUMBER_OF_SYMBOL_PER_CODEWORD, "NUMBER_OF_SYMBOL_PER_CODEWORD", 2, 500, "4",
     "Valid Codeword Length Range : 2 - 500"},
    {&S::NUMBER_OF_BURST_ERROR, "NUMBER_OF_BURST_ERROR", 2, 500, "2", "Valid Burst Length Range: 2 - 500"},
}};
