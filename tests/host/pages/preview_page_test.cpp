#include "host/preview_page.h"

#include "tests/host/pages/page_test_support.h"

#include <algorithm>

namespace {

// The memory page's template is 197 x 170 units, 296 x 276 pixels; its group box 1035 sits at
// (10, 15) units, (15, 24) pixels.
constexpr int kGroupBox = 1035;

using PreviewPageTest = PageFixture;

TEST_F(PreviewPageTest, PanelGoesLeftOfTheMovedControlsOverTheWholeHeight)
{
    SymbolGraphic small(200, 128); // a panel of 216 x 144
    PreviewPage page(kMemoryTemplate, &small, settings);
    Show(page, [&](Dialog& dialog) {
        EXPECT_EQ(dialog.ClientRect().width(), 296 + 216);
        // The template, the button row, and what the window's frame lacks of the classic 3 pixels.
        const int frameBottom = dialog.WindowRect().height() - dialog.ClientOffsetY() - dialog.ClientRect().height();
        EXPECT_EQ(dialog.ClientRect().height(), 276 + 43 + std::max(0, 3 - frameBottom));
        EXPECT_EQ(dialog.ControlRect(kGroupBox).left, 15 + 216);
        EXPECT_EQ(dialog.ControlRect(kGroupBox).top, 24);
        EXPECT_EQ(dialog.ControlRect(kPreviewPanelId), (Rect{0, 0, 216, dialog.WindowRect().height()}));
        // The separator starts 10 pixels into the page's own part, right of the panel.
        EXPECT_EQ(dialog.ControlRect(kSeparator).left, 216 + 10 - dialog.ClientOffsetX());
        EXPECT_NE(page.panel(), nullptr);
    });
    EXPECT_EQ(page.panel(), nullptr);
}

TEST_F(PreviewPageTest, TallPanelSetsTheWindowHeight)
{
    SymbolGraphic tall(100, 600); // a panel of 116 x 616
    PreviewPage page(kMemoryTemplate, &tall, settings);
    int height = 0;
    Show(page, [&](Dialog& dialog) { height = dialog.WindowRect().height(); });
    EXPECT_EQ(height, 616);
}

TEST_F(PreviewPageTest, WithoutSymbolThereIsNoPanelAndNothingMoves)
{
    PreviewPage page(kMemoryTemplate, nullptr, settings);
    Show(page, [&](Dialog& dialog) {
        EXPECT_FALSE(dialog.HasControl(kPreviewPanelId));
        EXPECT_EQ(dialog.ControlRect(kGroupBox).left, 15);
        EXPECT_EQ(dialog.ClientRect().width(), 296);
    });
}

} // namespace
