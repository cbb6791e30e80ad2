#include "interleaver/algorithm_page.h"

#include "tests/host/pages/page_test_support.h"

namespace {

constexpr int kButtons[] = {1155, 1157, 1151, 1152}; // convolutional, block, interleaver, deinterleaver

using Checks = std::vector<bool>;
Checks ReadChecks(const Dialog& dialog)
{
    Checks checks;
    for (const int id : kButtons)
        checks.push_back(dialog.IsChecked(id));
    return checks;
}

using AlgorithmPageTest = PageFixture;

TEST_F(AlgorithmPageTest, InitialSettingsCheckConvolutionalInterleaver)
{
    AlgorithmPage page(settings, symbol);
    Show(page, [&](Dialog& dialog) { EXPECT_EQ(ReadChecks(dialog), (Checks{true, false, true, false})); });
}

TEST_F(AlgorithmPageTest, EachClickWritesItsPairOfFlagsFromARestoredContinuousDeinterleaver)
{
    // Flags after the click: CONVOLUTIONAL, BLOCK, BLOCK_CONTINOUS, INTERLEAVER, DEINTERLEAVER.
    const std::vector<int> after[] = {{1, 0, 0, 0, 1}, {0, 1, 0, 0, 1}, {0, 0, 1, 1, 0}, {0, 0, 1, 0, 1}};
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        settings = InterleaverSettings{};
        settings.CONVOLUTIONAL = 0;
        settings.BLOCK_CONTINOUS = 1;
        settings.INTERLEAVER = 0;
        settings.DEINTERLEAVER = 1;
        AlgorithmPage page(settings, symbol);
        Checks checks;
        Show(page, [&](Dialog& dialog) {
            // Neither algorithm button is checked for the restored continuous mode.
            EXPECT_EQ(ReadChecks(dialog), (Checks{false, false, false, true}));
            dialog.Click(kButtons[i]);
            checks = ReadChecks(dialog);
        });
        const std::vector<int> flags{settings.CONVOLUTIONAL, settings.BLOCK, settings.BLOCK_CONTINOUS,
                                     settings.INTERLEAVER, settings.DEINTERLEAVER};
        EXPECT_EQ(flags, after[i]) << kButtons[i];
        EXPECT_EQ(checks, (Checks{after[i][0] == 1, after[i][1] == 1, after[i][3] == 1, after[i][4] == 1}));
    }
}

TEST_F(AlgorithmPageTest, ClicksLayTheSymbolOutAgainAndHelpIsNotTheHostHelp)
{
    AlgorithmPage page(settings, symbol);
    Show(page, [&](Dialog& dialog) {
        dialog.Click(1152);
        dialog.Click(1157);
        EXPECT_EQ(symbol.texts.at(1)->text, "De-Interleaver 17 X 12");
        EXPECT_EQ(symbol.texts.at(2)->text, "Block Discrete");
        // The guide is missing here, which is silent; the host's help would report its file.
        dialog.PressF1();
    });
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
