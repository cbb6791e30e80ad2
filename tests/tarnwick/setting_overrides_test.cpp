#include "tarnwick/setting_overrides.h"

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
        {"BLOCK=-1", {}},
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
    // A whole number too large for an int is out of range, not malformed.
    Overrides overrides;
    std::string error;
    EXPECT_FALSE(ParseSetOverride("J=99999999999999999999", overrides, error));
    EXPECT_EQ(error, "Valid J : 2 - 500");
    EXPECT_FALSE(ParseSetOverride("BLOCK=99999999999999999999", overrides, error));
    EXPECT_EQ(error, "setting BLOCK is a flag: 0 or 1, not 99999999999999999999");
}

TEST(SettingOverrides, EveryNumberOfTheChangedVariationIsCheckedStoredOrGiven)
{
    InterleaverSettings stored;
    stored.CHARACTERISTIC_I = 41; // edited by hand
    ApplyOverrides({{"CHARACTERISTIC_J", 3}}, stored);
    std::string error;
    EXPECT_FALSE(CheckSettingRanges(stored, error));
    EXPECT_EQ(error, "Valid I : 2 - 40");
    ApplyOverrides({{"CHARACTERISTIC_I", 40}, {"NUMBER_OF_BURST_ERROR", 1000}}, stored);
    EXPECT_FALSE(CheckSettingRanges(stored, error));
    EXPECT_EQ(error, "Valid Burst Length Range: 2 - 500");
    ApplyOverrides({{"NUMBER_OF_BURST_ERROR", 500}}, stored);
    EXPECT_TRUE(CheckSettingRanges(stored, error));
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

namespace {

TEST(SettingOverrides, AFlagSetClearsItsGroupAndSettingsThePagesCannotMakeAreNamed)
{
    const auto flags = [](const InterleaverSettings& s) {
        return std::vector<int>{s.CONVOLUTIONAL, s.BLOCK, s.BLOCK_CONTINOUS, s.INTERLEAVER, s.DEINTERLEAVER,
                                s.INTERNAL_DPRAM, s.EXTERNAL_DPRAM};
    };
    const struct {
        Overrides given;
        std::vector<int> flags;
        const char* problem; // empty: settings the pages can make
    } cases[] = {
        {{{"EXTERNAL_DPRAM", 1}}, {1, 0, 0, 1, 0, 0, 1}, ""},
        {{{"BLOCK", 1}}, {0, 1, 0, 1, 0, 1, 0}, ""},
        {{{"BLOCK_CONTINOUS", 1}}, {0, 0, 1, 1, 0, 1, 0}, ""},
        {{{"DEINTERLEAVER", 1}}, {1, 0, 0, 0, 1, 1, 0}, ""},
        // Clearing the one flag set leaves the group without a choice.
        {{{"INTERNAL_DPRAM", 0}}, {1, 0, 0, 1, 0, 0, 0},
         "no memory is chosen: set it with --memory internal or --memory external"},
        {{{"INTERLEAVER", 0}}, {1, 0, 0, 0, 0, 1, 0},
         "no direction is chosen: set it with --direction interleaver or --direction deinterleaver"},
        {{{"BLOCK", 1}, {"BLOCK", 0}}, {0, 0, 0, 1, 0, 1, 0},
         "no algorithm is chosen: set it with --algorithm convolutional, --algorithm block or --set "
         "BLOCK_CONTINOUS=1"},
        {{{"BLOCK", 1}, {"CONVOLUTIONAL", 1}}, {1, 0, 0, 1, 0, 1, 0}, ""},
    };
    for (const auto& c : cases) {
        InterleaverSettings settings;
        ApplyOverrides(c.given, settings);
        EXPECT_EQ(flags(settings), c.flags) << c.problem;
        const std::vector<std::string> problems = FlagGroupProblems(settings);
        EXPECT_EQ(problems, std::string(c.problem).empty() ? std::vector<std::string>{}
                                                           : std::vector<std::string>{c.problem});
    }

    // A hand-edited .cnx can hold what no override makes.
    InterleaverSettings stored;
    stored.EXTERNAL_DPRAM = 1;
    stored.BLOCK = 5;
    EXPECT_EQ(FlagGroupProblems(stored),
              (std::vector<std::string>{"the algorithm flags must be 0 or 1 (BLOCK is 5): set it with --algorithm "
                                        "convolutional, --algorithm block or --set BLOCK_CONTINOUS=1",
                                        "more than one memory is chosen (INTERNAL_DPRAM, EXTERNAL_DPRAM): set it "
                                        "with --memory internal or --memory external"}));
}

} // namespace
