#include "tools/tarnwick/setting_overrides.h"

#include <gtest/gtest.h>

namespace {

using Overrides = std::vector<SettingOverride>;

TEST(SettingOverrides, SetTakesTheStoredNamesOrTheShortOnesAndWholeNumbers)
{
    const struct {
        const char* text;
        Overrides parsed; // empty: refused
    } cases[] = {
        {"CHARACTERISTIC_I=12", {{"CHARACTERISTIC_I", 12}}},
        {"I=12", {{"CHARACTERISTIC_I", 12}}},
        {"J=500", {{"CHARACTERISTIC_J", 500}}},
        {"W=-3", {{"SYMBOL_WIDTH", -3}}}, // in range or not is checked afterwards
        {"N=7", {{"NUMBER_OF_SYMBOL_PER_CODEWORD", 7}}},
        {"B=9", {{"NUMBER_OF_BURST_ERROR", 9}}},
        {"BLOCK_CONTINOUS=1", {{"BLOCK_CONTINOUS", 1}}},
        {"EXTERNAL_DPRAM=0", {{"EXTERNAL_DPRAM", 0}}},
        {"BLOCK=2", {}},           // a flag is 0 or 1
        {"i=12", {}},              // names are exact
        {"X=1", {}},
        {"J=twelve", {}},
        {"I=", {}},
        {"I=12x", {}},
        {"I 12", {}},
        {"I=99999999999", {}},
    };
    for (const auto& c : cases) {
        Overrides overrides;
        std::string error;
        EXPECT_EQ(ParseSetOverride(c.text, overrides, error), !c.parsed.empty()) << c.text;
        EXPECT_EQ(overrides, c.parsed) << c.text;
        EXPECT_EQ(error.empty(), !c.parsed.empty()) << c.text << ": " << error;
    }
}

TEST(SettingOverrides, ChoicesSetTheFlagsAsThePagesClicksDo)
{
    Overrides overrides;
    std::string error;
    ASSERT_TRUE(ParseChoiceOverride("algorithm", "block", overrides, error));
    ASSERT_TRUE(ParseChoiceOverride("direction", "deinterleaver", overrides, error));
    ASSERT_TRUE(ParseChoiceOverride("memory", "external", overrides, error));
    InterleaverSettings settings;
    settings.BLOCK_CONTINOUS = 1; // a restored continuous mode is left by the click
    ApplyOverrides(overrides, settings);
    EXPECT_EQ((std::vector<int>{settings.CONVOLUTIONAL, settings.BLOCK, settings.BLOCK_CONTINOUS, settings.INTERLEAVER,
                                settings.DEINTERLEAVER, settings.INTERNAL_DPRAM, settings.EXTERNAL_DPRAM}),
              (std::vector<int>{0, 1, 0, 0, 1, 0, 1}));

    EXPECT_FALSE(ParseChoiceOverride("algorithm", "Block", overrides, error));
    EXPECT_EQ(error, "--algorithm takes convolutional or block, not \"Block\"");
}

TEST(SettingOverrides, NumbersAreCheckedInThePagesOrderAndTheLastValueCounts)
{
    const struct {
        Overrides given;
        const char* message; // empty: accepted
    } cases[] = {
        {{{"NUMBER_OF_BURST_ERROR", 1}, {"CHARACTERISTIC_I", 41}}, "Valid I : 2 - 40"},
        {{{"NUMBER_OF_BURST_ERROR", 501}, {"SYMBOL_WIDTH", 65}}, "Valid Symbol Width Range : 2 - 64"},
        {{{"NUMBER_OF_SYMBOL_PER_CODEWORD", 1}}, "Valid Codeword Length Range : 2 - 500"},
        {{{"NUMBER_OF_BURST_ERROR", 1}}, "Valid Burst Length Range: 2 - 500"},
        {{{"CHARACTERISTIC_J", 501}}, "Valid J : 2 - 500"},
        {{{"CHARACTERISTIC_I", 99}, {"CHARACTERISTIC_I", 40}}, ""},
        {{{"CHARACTERISTIC_I", 40}, {"CHARACTERISTIC_I", 1}}, "Valid I : 2 - 40"},
        {{{"SYMBOL_WIDTH", 1}, {"CHARACTERISTIC_J", 500}, {"NUMBER_OF_BURST_ERROR", 2}}, ""},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(CheckOverrideRanges(c.given, error), std::string(c.message).empty()) << c.message;
        EXPECT_EQ(error, c.message);
    }
}

} // namespace
