#include "interleaver/characteristics_page.h"

#include "tests/host/pages/page_test_support.h"

namespace {

constexpr int kWidth = 1024, kCodeword = 1025, kRows = 1026, kColumns = 1027, kBurst = 1029;
constexpr int kColumnsLabel = 1041, kRowsLabel = 1042, kBurstText = 1044, kPicture = 1045;

std::string Burst(int codewords, int checks)
{
    return "The burst error is spread accross " + std::to_string(codewords)
        + " codewords. The Reed Solomon code requires " + std::to_string(checks)
        + " check symbols per codeword to correct this burst error";
}

using CharacteristicsPageTest = PageFixture;

TEST_F(CharacteristicsPageTest, InitialSettingsFillTheBoxesAndTypingRecomputesTheTexts)
{
    CharacteristicsPage page(settings, symbol);
    Show(page, [&](Dialog& dialog) {
        std::vector<std::string> boxes;
        for (const int id : {kRows, kColumns, kWidth, kCodeword, kBurst})
            boxes.push_back(dialog.ControlText(id));
        EXPECT_EQ(boxes, (std::vector<std::string>{"12", "17", "8", "204", "10"}));
        // 11 * 17 * 12 / 204 = 11 codewords; 10 / 11 = 0 check symbols, raised to 2.
        EXPECT_EQ(dialog.ControlText(kBurstText), Burst(11, 2));
        // A codeword length without digits reads as -1: 2244 / -1 codewords, 2 * 10 check symbols.
        dialog.TypeText(kCodeword, "abc");
        EXPECT_EQ(dialog.ControlText(kBurstText), Burst(-2244, 20));
        dialog.TypeText(kCodeword, "204");
        dialog.TypeText(kRows, "4");
        // 3 * 17 * 4 / 204 = 1 codeword; 2 * (10 / 1) = 20 check symbols.
        EXPECT_EQ(dialog.ControlText(kBurstText), Burst(1, 20));
        EXPECT_EQ(symbol.texts.at(1)->text, "Interleaver 4 X 17");
        dialog.ChooseComboItem(kCodeword, 2);
        dialog.TypeText(kBurst, "  -7abc");
    });
    EXPECT_EQ(settings.CHARACTERISTIC_I, 4);
    EXPECT_EQ(settings.NUMBER_OF_SYMBOL_PER_CODEWORD, 130);
    EXPECT_EQ(settings.NUMBER_OF_BURST_ERROR, -7);
}

TEST_F(CharacteristicsPageTest, AlgorithmAndDirectionChooseLabelsAndPicture)
{
    const char* const branches = "Number of branches (I)";
    const char* const rows = "Number of rows (I)";
    const struct {
        int convolutional, block, continuous, interleaver;
        const char* rowsLabel;
        const char* columnsLabel;
        int picture;
    } cases[] = {{1, 0, 0, 1, branches, "Unit delay element (J)", 120},
                 {0, 1, 0, 1, rows, "Number of columns (J)", 121},
                 {1, 0, 0, 0, branches, "Unit delay element (J)", 122},
                 {0, 1, 0, 0, rows, "Number of columns (J)", 123},
                 {0, 0, 1, 0, rows, "Number of columns (J)", 123},
                 // Both algorithms restored: the convolutional choice comes last and wins.
                 {1, 1, 0, 1, branches, "Unit delay element (J)", 120}};
    for (const auto& c : cases) {
        settings = InterleaverSettings{};
        settings.CONVOLUTIONAL = c.convolutional;
        settings.BLOCK = c.block;
        settings.BLOCK_CONTINOUS = c.continuous;
        settings.INTERLEAVER = c.interleaver;
        settings.DEINTERLEAVER = 1 - c.interleaver;
        CharacteristicsPage page(settings, symbol);
        Show(page, [&](Dialog& dialog) {
            EXPECT_EQ(dialog.ControlText(kRowsLabel), c.rowsLabel);
            EXPECT_EQ(dialog.ControlText(kColumnsLabel), c.columnsLabel);
            EXPECT_EQ(dialog.Picture(kPicture), c.picture);
        });
    }
}

TEST_F(CharacteristicsPageTest, FirstValueOutOfRangeIsFocusedResetAndReported)
{
    const struct {
        int box;
        const char* typed;
        const char* reset;
        int InterleaverSettings::*setting;
        const char* message;
    } cases[] = {
        {kRows, "41", "2", &InterleaverSettings::CHARACTERISTIC_I, "Valid I : 2 - 40"},
        {kColumns, "501", "2", &InterleaverSettings::CHARACTERISTIC_J, "Valid J : 2 - 500"},
        {kWidth, "65", "1", &InterleaverSettings::SYMBOL_WIDTH, "Valid Symbol Width Range : 2 - 64"},
        {kCodeword, "1", "4", &InterleaverSettings::NUMBER_OF_SYMBOL_PER_CODEWORD,
         "Valid Codeword Length Range : 2 - 500"},
        {kBurst, "abc", "2", &InterleaverSettings::NUMBER_OF_BURST_ERROR, "Valid Burst Length Range: 2 - 500"},
    };
    hostValues().hostThreadKnown = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        settings = InterleaverSettings{};
        messages.shown.clear();
        messenger.posted.clear();
        CharacteristicsPage page(settings, symbol);
        Show(page, [&](Dialog& dialog) {
            dialog.TypeText(c.box, c.typed);
            dialog.Click(kNextButton);
            EXPECT_TRUE(dialog.IsRunning());
            EXPECT_EQ(dialog.FocusId(), c.box);
            EXPECT_EQ(dialog.ControlText(c.box), c.reset);
            // Selected whole, so that the next key typed replaces the reset value.
            EXPECT_TRUE(dialog.IsTextSelected(c.box));
            EXPECT_TRUE(messenger.posted.empty());
            // The texts and the preview follow the reset value.
            EXPECT_EQ(dialog.ControlText(kBurstText), CharacteristicsPage::BurstText(settings));
            EXPECT_EQ(symbol.texts.at(1)->text, "Interleaver " + std::to_string(settings.CHARACTERISTIC_I) + " X "
                                                    + std::to_string(settings.CHARACTERISTIC_J));
        });
        EXPECT_EQ(settings.*c.setting, std::stoi(c.reset));
        const std::pair<std::string, std::string> shown{"f - ZORVEX - 1.00", c.message};
        EXPECT_EQ(messages.shown, (std::vector{shown}));
    }
}

TEST_F(CharacteristicsPageTest, EveryUpperBoundIsAccepted)
{
    CharacteristicsPage page(settings, symbol);
    Show(page, [&](Dialog& dialog) {
        for (const auto& [box, value] : {std::pair{kRows, "40"}, {kColumns, "500"}, {kWidth, "64"},
                                         {kCodeword, "500"}, {kBurst, "500"}})
            dialog.TypeText(box, value);
        dialog.Click(kNextButton);
        EXPECT_FALSE(dialog.IsRunning());
    });
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(page.result, PageResult::Next);
}

TEST_F(CharacteristicsPageTest, EachAttemptReportsOnlyTheFirstFailureAndBackIsCheckedToo)
{
    CharacteristicsPage page(settings, symbol);
    page.result = PageResult::Cancel;
    Show(page, [&](Dialog& dialog) {
        dialog.TypeText(kRows, "50");
        dialog.ChooseComboItem(kColumns, 0); // J = 1
        dialog.TypeText(kWidth, "1");        // accepted, though the message names 2
        dialog.Click(kBackButton);
        EXPECT_EQ(settings.CHARACTERISTIC_J, 1);
        dialog.Click(kBackButton);
        EXPECT_EQ(dialog.ControlText(kColumns), "2");
        dialog.Click(kBackButton);
    });
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"Valid I : 2 - 40", "Valid J : 2 - 500"}));
    EXPECT_EQ(settings.CHARACTERISTIC_I, 2);
    EXPECT_EQ(settings.CHARACTERISTIC_J, 2);
    EXPECT_EQ(page.result, PageResult::Back);
}

} // namespace
