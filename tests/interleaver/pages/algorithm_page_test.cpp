#include "interleaver/algorithm_page.h"

#include "tests/interleaver/pages/parameter_page_fixture.h"

namespace {

constexpr int kConvolutional = 1155;
constexpr int kBlock = 1157;
constexpr int kInterleaver = 1151;
constexpr int kDeinterleaver = 1152;

struct Checks {
    bool convolutional;
    bool block;
    bool interleaver;
    bool deinterleaver;
    bool operator==(const Checks&) const = default;
};

Checks ReadChecks(const Dialog& dialog)
{
    return {dialog.IsChecked(kConvolutional), dialog.IsChecked(kBlock),
            dialog.IsChecked(kInterleaver), dialog.IsChecked(kDeinterleaver)};
}

using AlgorithmPageTest = ParameterPageFixture;

TEST_F(AlgorithmPageTest, InitialSettingsCheckConvolutionalInterleaver)
{
    AlgorithmPage page(settings, symbol);
    Checks checks{};
    Show(page, [&](Dialog& dialog) { checks = ReadChecks(dialog); });
    EXPECT_EQ(checks, (Checks{true, false, true, false}));
}

TEST_F(AlgorithmPageTest, RestoredContinuousBlockChecksNeitherAlgorithm)
{
    settings.CONVOLUTIONAL = 0;
    settings.BLOCK_CONTINOUS = 1;
    settings.INTERLEAVER = 0;
    settings.DEINTERLEAVER = 1;
    AlgorithmPage page(settings, symbol);
    Checks checks{};
    Show(page, [&](Dialog& dialog) { checks = ReadChecks(dialog); });
    EXPECT_EQ(checks, (Checks{false, false, false, true}));
}

TEST_F(AlgorithmPageTest, EachClickWritesItsPairOfFlagsAndLeavesContinuousMode)
{
    struct Case {
        int button;
        int convolutional;
        int block;
        int interleaver;
        int deinterleaver;
        Checks checks;
    };
    // Every case starts from a restored continuous block deinterleaver.
    const Case cases[] = {
        {kConvolutional, 1, 0, 0, 1, {true, false, false, true}},
        {kBlock, 0, 1, 0, 1, {false, true, false, true}},
        {kInterleaver, 0, 0, 1, 0, {false, false, true, false}},
        {kDeinterleaver, 0, 0, 0, 1, {false, false, false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        settings = InterleaverSettings{};
        settings.CONVOLUTIONAL = 0;
        settings.BLOCK_CONTINOUS = 1;
        settings.INTERLEAVER = 0;
        settings.DEINTERLEAVER = 1;
        const bool algorithmButton = c.button == kConvolutional || c.button == kBlock;
        AlgorithmPage page(settings, symbol);
        Checks checks{};
        Show(page, [&](Dialog& dialog) {
            dialog.Click(c.button);
            checks = ReadChecks(dialog);
        });
        EXPECT_EQ(settings.CONVOLUTIONAL, c.convolutional);
        EXPECT_EQ(settings.BLOCK, c.block);
        EXPECT_EQ(settings.BLOCK_CONTINOUS, algorithmButton ? 0 : 1);
        EXPECT_EQ(settings.INTERLEAVER, c.interleaver);
        EXPECT_EQ(settings.DEINTERLEAVER, c.deinterleaver);
        EXPECT_EQ(checks, c.checks);
    }
}

TEST_F(AlgorithmPageTest, ClicksLayTheSymbolOutAgain)
{
    AlgorithmPage page(settings, symbol);
    std::string title;
    std::string mode;
    Show(page, [&](Dialog& dialog) {
        dialog.Click(kDeinterleaver);
        dialog.Click(kBlock);
        title = symbol.texts.at(1)->text;
        mode = symbol.texts.at(2)->text;
    });
    EXPECT_EQ(title, "De-Interleaver 17 X 12");
    EXPECT_EQ(mode, "Block Discrete");
}

TEST_F(AlgorithmPageTest, HelpOpensTheGuideInsteadOfTheHostHelp)
{
    AlgorithmPage page(settings, symbol);
    Show(page, [&](Dialog& dialog) { dialog.PressF1(); });
    // The host's help would have said that its file is missing; the missing guide is silent.
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
