#include "tests/host/pages/page_test_support.h"

#include "platform/dialog_template.h"

#include <algorithm>

namespace {

// A page on a template of its own (one static text), whose check can be made to fail.
class TestPage : public WizardPage {
public:
    TestPage(int cx, int cy, const std::string& caption)
        : WizardPage(900), pageTemplate_{900, cx, cy, caption, {ControlTemplate{}}}
    {
    }
    void ShowModal() override { RunDialog(pageTemplate_); }
    bool Validate() override { return ++validations, valid; }
    bool valid = true;
    int validations = 0;

private:
    DialogTemplate pageTemplate_;
};

// 120 x 80 units are 180 x 130 pixels, narrower than the button row; 300 x 96 are 450 x 156.
TestPage Narrow() { return TestPage(120, 80, ""); }
TestPage Wide() { return TestPage(300, 96, "Wide"); }

using WizardPageTest = PageFixture;

TEST_F(WizardPageTest, WindowTextAddsTheTemplateCaption)
{
    std::vector<std::string> texts;
    for (TestPage page : {Narrow(), Wide()}) {
        page.caption = "Host - W [page 2 of 4]";
        Show(page, [&](Dialog& dialog) { texts.push_back(dialog.WindowText()); });
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Host - W [page 2 of 4]", "Host - W [page 2 of 4] -- Wide"}));
}

TEST_F(WizardPageTest, ButtonRowAndSeparatorHangFromTheLowerRightCorner)
{
    // The offsets at the classic dialog font, and at one of base units 9 x 20 instead of 6 x 13:
    // x 9 / 6 across, x 20 / 13 down, halves rounded up.
    const struct {
        int id;
        const char* text;
        int left;
        int right;
        int largerLeft;
        int largerRight;
    } buttons[] = {{kNextButton, "&Next >", 133, 73, 200, 110},
                   {kBackButton, "< &Back", 196, 136, 294, 204},
                   {kCancelButton, "Cancel", 259, 199, 389, 299},
                   {kFinishButton, "&Finish", 70, 10, 105, 15}};
    TestPage narrow = Narrow();
    Show(narrow, [&](Dialog& dialog) {
        for (const auto& button : buttons) {
            EXPECT_EQ(dialog.ControlText(button.id), button.text);
            EXPECT_EQ(dialog.ControlRect(button.id), FromLowerRight(dialog, button.left, 33, button.right, 10));
        }
        EXPECT_EQ(dialog.WindowRect().width(), 269);
        // The template, the button row, and what the window's frame lacks of the classic 3 pixels.
        const int frameBottom = dialog.WindowRect().height() - dialog.ClientOffsetY() - dialog.ClientRect().height();
        EXPECT_EQ(dialog.ClientRect().height(), 130 + 43 + std::max(0, 3 - frameBottom));
        // Narrower than 269 pixels, the separator starts level with the Cancel button.
        EXPECT_EQ(dialog.ControlRect(kSeparator), FromLowerRight(dialog, 259, 43, 10, 41));
    });
    TestPage wide = Wide();
    Show(wide, [&](Dialog& dialog) {
        EXPECT_EQ(dialog.ClientRect().width(), 450);
        EXPECT_EQ(dialog.ControlRect(kSeparator).left, 10 - dialog.ClientOffsetX());
    });
    // A larger dialog font: the row's top (33 down) and bottom (10) grow with it as its sides do.
    const DialogBaseUnits classic = GetDialogBaseUnits();
    SetDialogBaseUnits(DialogBaseUnits{9, 20});
    TestPage larger = Narrow();
    Show(larger, [&](Dialog& dialog) {
        for (const auto& button : buttons) {
            EXPECT_EQ(dialog.ControlRect(button.id),
                      FromLowerRight(dialog, button.largerLeft, 51, button.largerRight, 15));
        }
        EXPECT_EQ(dialog.ControlRect(kSeparator), FromLowerRight(dialog, 389, 66, 15, 63));
    });
    SetDialogBaseUnits(classic);
}

TEST_F(WizardPageTest, ButtonModeDisablesBackOrNextAndMovesTheDefault)
{
    const struct {
        ButtonMode mode;
        bool back, next, nextDefault, finishDefault;
    } cases[] = {{ButtonMode::FirstPage, false, true, true, false},
                 {ButtonMode::FirstPageBackAllowed, true, true, false, false},
                 {ButtonMode::MiddlePage, true, true, false, false},
                 {ButtonMode::LastPage, true, false, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.mode));
        TestPage page = Wide();
        page.buttonMode = c.mode;
        Show(page, [&](Dialog& dialog) {
            EXPECT_EQ(dialog.IsEnabled(kBackButton), c.back);
            EXPECT_EQ(dialog.IsEnabled(kNextButton), c.next);
            EXPECT_TRUE(dialog.IsEnabled(kCancelButton) && dialog.IsEnabled(kFinishButton));
            EXPECT_EQ(dialog.IsDefaultButton(kNextButton), c.nextDefault);
            EXPECT_EQ(dialog.IsDefaultButton(kFinishButton), c.finishDefault);
        });
    }
}

TEST_F(WizardPageTest, KnownCornerPlacesTheWindowPushedBackInsideTheDesktop)
{
    const Rect desk = DesktopRect();
    // Expected edges: 'r'/'b' meet the corner or the desktop's right/bottom, 'l'/'t' its left/top.
    const struct {
        int x, y, right, bottom;
        char horizontal, vertical;
    } cases[] = {{desk.left + 600, desk.top + 450, desk.left + 600, desk.top + 450, 'r', 'b'},
                 {desk.right + 500, desk.bottom + 300, desk.right, desk.bottom, 'r', 'b'},
                 {desk.left + 10, desk.top + 10, 0, 0, 'l', 't'},
                 {-2147483647 - 1, 2147483647, 0, desk.bottom, 'l', 'b'}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        hostValues() = HostValues{0, false, c.x, c.y, true};
        TestPage page = Wide();
        Rect outer;
        Show(page, [&](Dialog& dialog) { outer = dialog.WindowRect(); });
        EXPECT_EQ(c.horizontal == 'r' ? outer.right : outer.left, c.horizontal == 'r' ? c.right : desk.left);
        EXPECT_EQ(c.vertical == 'b' ? outer.bottom : outer.top, c.vertical == 'b' ? c.bottom : desk.top);
    }
}

TEST_F(WizardPageTest, UnknownCornerCentresTheWindowAndSetsTheCorner)
{
    const Rect desk = DesktopRect();
    TestPage page = Wide();
    Rect outer;
    Show(page, [&](Dialog& dialog) { outer = dialog.WindowRect(); });
    const int x = (desk.left + desk.right) / 2;
    const int y = (desk.top + desk.bottom) / 2;
    EXPECT_EQ(outer.left, x - outer.width() / 2);
    EXPECT_EQ(outer.top, y - outer.height() / 2);
    EXPECT_TRUE(hostValues().cornerKnown);
    EXPECT_EQ(hostValues().cornerX, x + outer.width() / 2);
    EXPECT_EQ(hostValues().cornerY, y + outer.height() / 2);
}

TEST_F(WizardPageTest, LeavingPostsTheCornerOfTheMovedWindowWhenTheHostIsKnown)
{
    const std::pair<int, PageResult> cases[] = {
        {kBackButton, PageResult::Back}, {kNextButton, PageResult::Next}, {kFinishButton, PageResult::Finish}};
    for (const bool hostKnown : {true, false}) {
        for (const auto& [button, result] : cases) {
            hostValues().hostThreadId = 4242;
            hostValues().hostThreadKnown = hostKnown;
            messenger.posted.clear();
            TestPage page = Wide();
            page.result = PageResult::Cancel;
            Rect outer;
            Show(page, [&](Dialog& dialog) {
                outer = dialog.WindowRect();
                outer = Rect{outer.left - 30, outer.top - 20, outer.right - 30, outer.bottom - 20};
                dialog.MoveWindow(outer);
                dialog.Click(button);
                EXPECT_FALSE(dialog.IsRunning());
            });
            EXPECT_EQ(page.result, result);
            EXPECT_EQ(hostValues().cornerX, outer.right);
            EXPECT_EQ(hostValues().cornerY, outer.bottom);
            const std::vector<PostedPageExit> expected{{4242, outer.right, outer.bottom}};
            EXPECT_EQ(messenger.posted, hostKnown ? expected : std::vector<PostedPageExit>{});
        }
    }
}

TEST_F(WizardPageTest, FailedCheckKeepsThePageOpenAndPostsNothing)
{
    hostValues().hostThreadKnown = true;
    for (const int button : {kBackButton, kNextButton, kFinishButton}) {
        messenger.posted.clear(); // the cancel that closed the previous page posted
        TestPage page = Wide();
        page.valid = false;
        Show(page, [&](Dialog& dialog) {
            dialog.Click(button);
            EXPECT_TRUE(dialog.IsRunning());
            EXPECT_TRUE(messenger.posted.empty());
        });
        EXPECT_EQ(page.validations, 1);
    }
}

TEST_F(WizardPageTest, CancelPostsTheCornerAsItStandsWithoutChecking)
{
    hostValues() = HostValues{31, true, 500, 400, true};
    TestPage page = Wide();
    Show(page, [&](Dialog& dialog) {
        Rect moved = dialog.WindowRect();
        dialog.MoveWindow(Rect{moved.left + 17, moved.top, moved.right + 17, moved.bottom});
        dialog.Click(kCancelButton);
    });
    EXPECT_EQ(page.result, PageResult::Cancel);
    EXPECT_EQ(page.validations, 0);
    EXPECT_EQ(messenger.posted, (std::vector<PostedPageExit>{{31, 500, 400}}));
}

TEST_F(WizardPageTest, EnterOnTheLastPageLeavesWithNextThoughNextIsDisabled)
{
    TestPage page = Wide();
    page.buttonMode = ButtonMode::LastPage;
    page.result = PageResult::Cancel;
    // Away from the push buttons, where Return presses the button that has the focus.
    Show(page, [&](Dialog& dialog) {
        dialog.SetFocus(kSeparator);
        dialog.PressEnter();
    });
    EXPECT_EQ(page.result, PageResult::Next);
}

} // namespace
