#include "host/preview_page.h"

#include "interleaver/interleaver_settings.h"
#include "resources/dialog_templates.h"
#include "symbol/symbol_graphic.h"
#include "tests/host/pages/page_test_support.h"

#include <gtest/gtest.h>

namespace {

// The memory page's template: 197 x 170 dialog units, 296 x 276 pixels. Its first control, group
// box 1035, sits at (10, 15) units: (15, 24) pixels.
constexpr int kTemplateWidth = 296;
constexpr int kTemplateHeight = 276;
constexpr int kGroupBox = 1035;

class PreviewPageTest : public PageFixture {
protected:
    InterleaverSettings settings;
};

TEST_F(PreviewPageTest, WindowMakesRoomForPanelAndButtonRow)
{
    SymbolGraphic symbol(200, 128); // a panel of 216 x 144
    PreviewPage page(kMemoryTemplate, &symbol, settings);
    Rect client;
    WhenShown([&](Dialog& dialog) { client = dialog.ClientRect(); });
    page.ShowModal();
    EXPECT_EQ(client.width(), kTemplateWidth + 216);
    EXPECT_EQ(client.height(), kTemplateHeight + 43);
}

TEST_F(PreviewPageTest, TallPanelSetsTheWindowHeight)
{
    SymbolGraphic symbol(100, 600); // a panel of 116 x 616
    PreviewPage page(kMemoryTemplate, &symbol, settings);
    int outerHeight = 0;
    WhenShown([&](Dialog& dialog) { outerHeight = dialog.WindowRect().height(); });
    page.ShowModal();
    EXPECT_EQ(outerHeight, 616);
}

TEST_F(PreviewPageTest, ControlsMoveRightOfThePanelWhichSpansTheWholeWindow)
{
    SymbolGraphic symbol(200, 128);
    PreviewPage page(kMemoryTemplate, &symbol, settings);
    Rect groupBox;
    Rect panel;
    int outerHeight = 0;
    bool panelWhileShown = false;
    WhenShown([&](Dialog& dialog) {
        groupBox = dialog.ControlRect(kGroupBox);
        panel = dialog.ControlRect(kPreviewPanelId);
        outerHeight = dialog.WindowRect().height();
        panelWhileShown = page.panel() != nullptr;
    });
    page.ShowModal();
    EXPECT_EQ(groupBox.left, 15 + 216);
    EXPECT_EQ(groupBox.top, 24);
    EXPECT_EQ(panel, (Rect{0, 0, 216, outerHeight}));
    EXPECT_TRUE(panelWhileShown);
    EXPECT_EQ(page.panel(), nullptr);
}

TEST_F(PreviewPageTest, SeparatorStartsTenPixelsIntoTheTemplateArea)
{
    SymbolGraphic symbol(200, 128);
    PreviewPage page(kMemoryTemplate, &symbol, settings);
    Rect separator;
    Rect expected;
    WhenShown([&](Dialog& dialog) {
        separator = dialog.ControlRect(kSeparator);
        const int frameWidth = dialog.WindowRect().width() - dialog.ClientRect().width();
        expected = FromLowerRight(dialog, kTemplateWidth + frameWidth - 10, 43, 10, 41);
    });
    page.ShowModal();
    EXPECT_EQ(separator, expected);
}

TEST_F(PreviewPageTest, WithoutSymbolThereIsNoPanelAndNothingMoves)
{
    PreviewPage page(kMemoryTemplate, nullptr, settings);
    bool hasPanel = true;
    Rect groupBox;
    Rect client;
    WhenShown([&](Dialog& dialog) {
        hasPanel = dialog.HasControl(kPreviewPanelId);
        groupBox = dialog.ControlRect(kGroupBox);
        client = dialog.ClientRect();
    });
    page.ShowModal();
    EXPECT_FALSE(hasPanel);
    EXPECT_EQ(groupBox.left, 15);
    EXPECT_EQ(client.width(), kTemplateWidth);
    EXPECT_EQ(client.height(), kTemplateHeight + 43);
}

} // namespace
