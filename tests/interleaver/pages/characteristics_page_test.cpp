#include "interleaver/characteristics_page.h"

#include "tests/interleaver/pages/parameter_page_fixture.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kCodeword = 1025;
constexpr int kRows = 1026;
constexpr int kColumns = 1027;
constexpr int kBurst = 1029;
constexpr int kColumnsLabel = 1041;
constexpr int kRowsLabel = 1042;
constexpr int kBurstText = 1044;
constexpr int kPicture = 1045;

std::string Burst(int codewords, int checks)
{
    return "The burst error is spread accross " + std::to_string(codewords)
        + " codewords. The Reed Solomon code requires " + std::to_string(checks)
        + " check symbols per codeword to correct this burst error";
}

using CharacteristicsPageTest = ParameterPageFixture;

TEST_F(CharacteristicsPageTest, InitialSettingsFillTheBoxesLabelsPictureAndBurstText)
{
    CharacteristicsPage page(settings, symbol);
    std::vector<std::string> boxes;
    std::string rowsLabel, columnsLabel, burst;
    int picture = 0;
    Show(page, [&](Dialog& dialog) {
        for (const int id : {kRows, kColumns, kWidth, kCodeword, kBurst})
            boxes.push_back(dialog.ControlText(id));
        rowsLabel = dialog.ControlText(kRowsLabel);
        columnsLabel = dialog.ControlText(kColumnsLabel);
        burst = dialog.ControlText(kBurstText);
        picture = dialog.Picture(kPicture);
    });
    EXPECT_EQ(boxes, (std::vector<std::string>{"12", "17", "8", "204", "10"}));
    EXPECT_EQ(rowsLabel, "Number of branches (I)");
    EXPECT_EQ(columnsLabel, "Unit delay element (J)");
    // (12 - 1) * 17 * 12 / 204 = 11 codewords; 10 / 11 = 0 check symbols, raised to 2.
    EXPECT_EQ(burst, Burst(11, 2));
    EXPECT_EQ(picture, 120);
}

TEST_F(CharacteristicsPageTest, AlgorithmAndDirectionChooseWordingAndPicture)
{
    struct Case {
        int convolutional, block, continuous, interleaver, deinterleaver;
        const char* rowsLabel;
        const char* columnsLabel;
        int picture;
    };
    const Case cases[] = {
        {1, 0, 0, 1, 0, "Number of branches (I)", "Unit delay element (J)", 120},
        {0, 1, 0, 1, 0, "Number of rows (I)", "Number of columns (J)", 121},
        {1, 0, 0, 0, 1, "Number of branches (I)", "Unit delay element (J)", 122},
        {0, 1, 0, 0, 1, "Number of rows (I)", "Number of columns (J)", 123},
        {0, 0, 1, 1, 0, "Number of rows (I)", "Number of columns (J)", 121},
        {0, 0, 1, 0, 1, "Number of rows (I)", "Number of columns (J)", 123},
        // Both algorithms restored: the convolutional choice comes last and wins.
        {1, 1, 0, 0, 1, "Number of branches (I)", "Unit delay element (J)", 122},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.convolutional) + std::to_string(c.block)
                     + std::to_string(c.continuous) + std::to_string(c.interleaver));
        settings.CONVOLUTIONAL = c.convolutional;
        settings.BLOCK = c.block;
        settings.BLOCK_CONTINOUS = c.continuous;
        settings.INTERLEAVER = c.interleaver;
        settings.DEINTERLEAVER = c.deinterleaver;
        CharacteristicsPage page(settings, symbol);
        std::string rowsLabel, columnsLabel;
        int picture = 0;
        Show(page, [&](Dialog& dialog) {
            rowsLabel = dialog.ControlText(kRowsLabel);
            columnsLabel = dialog.ControlText(kColumnsLabel);
            picture = dialog.Picture(kPicture);
        });
        EXPECT_EQ(rowsLabel, c.rowsLabel);
        EXPECT_EQ(columnsLabel, c.columnsLabel);
        EXPECT_EQ(picture, c.picture);
    }
}

TEST_F(CharacteristicsPageTest, TypingWritesTheSettingAndRecomputesTheBurstText)
{
    CharacteristicsPage page(settings, symbol);
    std::string burst;
    std::string title;
    Show(page, [&](Dialog& dialog) {
        dialog.TypeText(kRows, "4");
        burst = dialog.ControlText(kBurstText);
        title = symbol.texts.at(1)->text;
    });
    EXPECT_EQ(settings.CHARACTERISTIC_I, 4);
    // (4 - 1) * 17 * 4 / 204 = 1 codeword; 2 * (10 / 1) = 20 check symbols.
    EXPECT_EQ(burst, Burst(1, 20));
    EXPECT_EQ(title, "Interleaver 4 X 17");
}

TEST_F(CharacteristicsPageTest, TypedTextIsReadUpToTheFirstNonDigit)
{
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"37", 37}, {"  -7abc", -7}, {"+15", 15}, {"x5", -1}, {"", -1}, {"-", -1},
        {"99999999999", 2147483647},
    };
    CharacteristicsPage page(settings, symbol);
    std::vector<int> values;
    Show(page, [&](Dialog& dialog) {
        for (const Case& c : cases) {
            dialog.TypeText(kBurst, c.text);
            values.push_back(settings.NUMBER_OF_BURST_ERROR);
        }
    });
    ASSERT_EQ(values.size(), std::size(cases));
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(values[i], cases[i].value) << '"' << cases[i].text << '"';
}

TEST_F(CharacteristicsPageTest, ChoosingFromTheListWritesTheEntry)
{
    CharacteristicsPage page(settings, symbol);
    Show(page, [&](Dialog& dialog) {
        dialog.ChooseComboItem(kCodeword, 2); // 130
        dialog.ChooseComboItem(kColumns, 0);  // 1
    });
    EXPECT_EQ(settings.NUMBER_OF_SYMBOL_PER_CODEWORD, 130);
    EXPECT_EQ(settings.CHARACTERISTIC_J, 1);
}

// One out-of-range value typed into its box, then Next.
struct RangeCase {
    int box;
    const char* typed;
    const char* resetText;
    int InterleaverSettings::*setting;
    int resetValue;
    const char* message;
};

TEST_F(CharacteristicsPageTest, ValueOutOfRangeIsResetReportedAndKeepsThePageOpen)
{
    const RangeCase cases[] = {
        {kRows, "0", "2", &InterleaverSettings::CHARACTERISTIC_I, 2, "Valid I : 2 - 40"},
        {kRows, "41", "2", &InterleaverSettings::CHARACTERISTIC_I, 2, "Valid I : 2 - 40"},
        {kColumns, "501", "2", &InterleaverSettings::CHARACTERISTIC_J, 2, "Valid J : 2 - 500"},
        {kWidth, "0", "1", &InterleaverSettings::SYMBOL_WIDTH, 1,
         "Valid Symbol Width Range : 2 - 64"},
        {kWidth, "65", "1", &InterleaverSettings::SYMBOL_WIDTH, 1,
         "Valid Symbol Width Range : 2 - 64"},
        {kCodeword, "1", "4", &InterleaverSettings::NUMBER_OF_SYMBOL_PER_CODEWORD, 4,
         "Valid Codeword Length Range : 2 - 500"},
        {kBurst, "abc", "2", &InterleaverSettings::NUMBER_OF_BURST_ERROR, 2,
         "Valid Burst Length Range: 2 - 500"},
    };
    hostValues().hostThreadKnown = true;
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.box) + " " + c.typed);
        settings = InterleaverSettings{};
        messages.shown.clear();
        messenger.posted.clear();
        CharacteristicsPage page(settings, symbol);
        bool stillRunning = false;
        int focus = 0;
        std::string boxText;
        Show(page, [&](Dialog& dialog) {
            dialog.TypeText(c.box, c.typed);
            dialog.Click(kNextButton);
            stillRunning = dialog.IsRunning();
            focus = dialog.FocusId();
            boxText = dialog.ControlText(c.box);
            messenger.posted.clear(); // only what happened before the cancel counts
        });
        EXPECT_TRUE(stillRunning);
        EXPECT_EQ(focus, c.box);
        EXPECT_EQ(boxText, c.resetText);
        EXPECT_EQ(settings.*c.setting, c.resetValue);
        EXPECT_EQ(messages.shown, (std::vector<std::pair<std::string, std::string>>{
                                      {"f - ZORVEX - 1.00", c.message}}));
    }
}

TEST_F(CharacteristicsPageTest, OnlyTheFirstFailureIsReportedAtEachAttempt)
{
    CharacteristicsPage page(settings, symbol);
    std::vector<std::string> afterFirst;
    Show(page, [&](Dialog& dialog) {
        dialog.TypeText(kRows, "50");
        dialog.TypeText(kColumns, "600");
        dialog.Click(kNextButton);
        afterFirst = messages.texts();
        EXPECT_EQ(settings.CHARACTERISTIC_J, 600);
        dialog.Click(kNextButton);
    });
    EXPECT_EQ(afterFirst, (std::vector<std::string>{"Valid I : 2 - 40"}));
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"Valid I : 2 - 40", "Valid J : 2 - 500"}));
    EXPECT_EQ(settings.CHARACTERISTIC_I, 2);
    EXPECT_EQ(settings.CHARACTERISTIC_J, 2);
}

TEST_F(CharacteristicsPageTest, ListEntryOneForJFailsTheCheckAndIsResetToTwo)
{
    CharacteristicsPage page(settings, symbol);
    std::string boxText;
    Show(page, [&](Dialog& dialog) {
        dialog.ChooseComboItem(kColumns, 0);
        dialog.Click(kNextButton);
        boxText = dialog.ControlText(kColumns);
    });
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"Valid J : 2 - 500"}));
    EXPECT_EQ(boxText, "2");
    EXPECT_EQ(settings.CHARACTERISTIC_J, 2);
}

TEST_F(CharacteristicsPageTest, BackIsRefusedLikeNextAndValidValuesLeave)
{
    CharacteristicsPage page(settings, symbol);
    page.result = PageResult::Cancel;
    bool openAfterBack = false;
    Show(page, [&](Dialog& dialog) {
        dialog.TypeText(kRows, "1");
        dialog.Click(kBackButton);
        openAfterBack = dialog.IsRunning();
        // I is 2 again and symbol width 1 passes, so the page can now be left.
        dialog.TypeText(kWidth, "1");
        dialog.Click(kBackButton);
    });
    EXPECT_TRUE(openAfterBack);
    EXPECT_EQ(page.result, PageResult::Back);
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"Valid I : 2 - 40"}));
}

} // namespace
