#include "host/wizard_page.h"

#include "host/wizard_app.h"
#include "symbol/symbol_graphic.h"
#include "tests/host/pages/page_test_support.h"
#include "tests/support/recording_services.h"

#include <gtest/gtest.h>

namespace {

DialogTemplate TemplateWithText(int id, int cx, int cy, const std::string& caption)
{
    ControlTemplate text;
    text.id = id + 6000;
    text.text = "text";
    text.x = 4;
    text.y = 4;
    text.cx = 60;
    text.cy = 8;
    return DialogTemplate{id, cx, cy, caption, {text}};
}

// 120 x 80 dialog units: 180 x 130 pixels, narrower than the button row needs.
DialogTemplate NarrowTemplate() { return TemplateWithText(901, 120, 80, ""); }

// 300 x 96 dialog units: 450 x 156 pixels.
DialogTemplate WideTemplate() { return TemplateWithText(902, 300, 96, "Wide"); }

// A page on a template of the test's own, whose check can be made to fail.
class TestPage : public WizardPage {
public:
    explicit TestPage(DialogTemplate pageTemplate)
        : WizardPage(pageTemplate.id), pageTemplate_(std::move(pageTemplate))
    {
    }
    void ShowModal() override { RunDialog(pageTemplate_); }
    bool Validate() override
    {
        ++validations;
        return valid;
    }

    bool valid = true;
    int validations = 0;

private:
    DialogTemplate pageTemplate_;
};

class WizardPageTest : public PageFixture {
protected:
    WizardPageTest()
        : symbol(ReferenceSymbolWidth(), 192),
          app("ZORVEX - 1.00", symbol, WizardServices{messages, messenger, "/opt/tools/zorvex"})
    {
    }

    // Shows the page, hands the running window to `onShown`, and cancels what is left open.
    void Show(TestPage& page, std::function<void(Dialog&)> onShown)
    {
        page.SetApp(&app);
        WhenShown(std::move(onShown));
        page.ShowModal();
    }

    RecordingMessages messages;
    RecordingMessenger messenger;
    SymbolGraphic symbol;
    WizardApp app;
};

TEST_F(WizardPageTest, WindowTextJoinsCaptionAndTemplateCaption)
{
    TestPage wide(WideTemplate());
    wide.caption = "Host - W [page 2 of 4]";
    std::string wideText;
    Show(wide, [&](Dialog& dialog) { wideText = dialog.WindowText(); });
    EXPECT_EQ(wideText, "Host - W [page 2 of 4] -- Wide");

    TestPage narrow(NarrowTemplate());
    narrow.caption = "Host - W [page 1 of 4]";
    std::string narrowText;
    Show(narrow, [&](Dialog& dialog) { narrowText = dialog.WindowText(); });
    EXPECT_EQ(narrowText, "Host - W [page 1 of 4]");
}

TEST_F(WizardPageTest, ButtonRowHangsFromTheLowerRightCorner)
{
    struct Expected {
        int id;
        const char* text;
        int left;
        int right;
    };
    const Expected buttons[] = {
        {kNextButton, "&Next >", 133, 73},
        {kBackButton, "< &Back", 196, 136},
        {kCancelButton, "Cancel", 259, 199},
        {kFinishButton, "&Finish", 70, 10},
    };
    TestPage page(WideTemplate());
    Show(page, [&](Dialog& dialog) {
        for (const Expected& button : buttons) {
            SCOPED_TRACE(button.text);
            ASSERT_TRUE(dialog.HasControl(button.id));
            EXPECT_EQ(dialog.ControlText(button.id), button.text);
            const Rect rect = dialog.ControlRect(button.id);
            EXPECT_EQ(rect, FromLowerRight(dialog, button.left, 33, button.right, 10));
            EXPECT_EQ(rect.width(), 60);
            EXPECT_EQ(rect.height(), 23);
        }
    });
}

TEST_F(WizardPageTest, NarrowTemplateGets269PixelsAndSeparatorLevelWithCancel)
{
    TestPage page(NarrowTemplate());
    Show(page, [&](Dialog& dialog) {
        EXPECT_EQ(dialog.WindowRect().width(), 269);
        EXPECT_EQ(dialog.ControlRect(kSeparator), FromLowerRight(dialog, 259, 43, 10, 41));
        EXPECT_EQ(dialog.ControlRect(kSeparator).left, dialog.ControlRect(kCancelButton).left);
    });
}

TEST_F(WizardPageTest, WideTemplateKeepsItsWidthAndSeparatorStartsTenPixelsIn)
{
    TestPage page(WideTemplate());
    Show(page, [&](Dialog& dialog) {
        const Rect client = dialog.ClientRect();
        EXPECT_EQ(client.width(), 450);
        // The separator starts 10 pixels right of the window's outer left edge.
        const int width = dialog.WindowRect().width();
        EXPECT_EQ(dialog.ControlRect(kSeparator), FromLowerRight(dialog, width - 10, 43, 10, 41));
    });
}

TEST_F(WizardPageTest, ButtonRowAdds43PixelsBelowTheTemplate)
{
    TestPage page(NarrowTemplate());
    int clientHeight = 0;
    Show(page, [&](Dialog& dialog) { clientHeight = dialog.ClientRect().height(); });
    EXPECT_EQ(clientHeight, 130 + 43);
}

TEST_F(WizardPageTest, ButtonModeEnablesButtonsAndMovesTheDefault)
{
    struct Case {
        ButtonMode mode;
        bool backEnabled;
        bool nextEnabled;
    };
    const Case cases[] = {
        {ButtonMode::FirstPage, false, true},
        {ButtonMode::FirstPageBackAllowed, true, true},
        {ButtonMode::MiddlePage, true, true},
        {ButtonMode::LastPage, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        TestPage page(WideTemplate());
        page.buttonMode = c.mode;
        Show(page, [&](Dialog& dialog) {
            EXPECT_EQ(dialog.IsEnabled(kBackButton), c.backEnabled);
            EXPECT_EQ(dialog.IsEnabled(kNextButton), c.nextEnabled);
            EXPECT_TRUE(dialog.IsEnabled(kCancelButton));
            EXPECT_TRUE(dialog.IsEnabled(kFinishButton));
            if (c.mode == ButtonMode::FirstPage) {
                EXPECT_TRUE(dialog.IsDefaultButton(kNextButton));
                EXPECT_FALSE(dialog.IsDefaultButton(kFinishButton));
            }
            if (c.mode == ButtonMode::LastPage) {
                EXPECT_TRUE(dialog.IsDefaultButton(kFinishButton));
                EXPECT_FALSE(dialog.IsDefaultButton(kNextButton));
            }
        });
    }
}

TEST_F(WizardPageTest, KnownCornerPlacesTheLowerRightCornerThere)
{
    const Rect desktop = DesktopRect();
    hostValues().cornerX = desktop.left + 600;
    hostValues().cornerY = desktop.top + 450;
    hostValues().cornerKnown = true;
    TestPage page(WideTemplate());
    Rect outer;
    Show(page, [&](Dialog& dialog) { outer = dialog.WindowRect(); });
    EXPECT_EQ(outer.right, desktop.left + 600);
    EXPECT_EQ(outer.bottom, desktop.top + 450);
}

TEST_F(WizardPageTest, CornerOutsideTheDesktopIsPushedBackInside)
{
    const Rect desktop = DesktopRect();
    struct Case {
        int cornerX;
        int cornerY;
        bool alignLeft;   // else the right edges meet
        bool alignTop;    // else the bottom edges meet
    };
    const Case cases[] = {
        {desktop.right + 500, desktop.bottom + 300, false, false},
        {desktop.left + 10, desktop.top + 10, true, true},
        {-2000000000, 2000000000, true, false},
        {2147483647, -2147483647 - 1, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.cornerX) + ", " + std::to_string(c.cornerY));
        hostValues().cornerX = c.cornerX;
        hostValues().cornerY = c.cornerY;
        hostValues().cornerKnown = true;
        TestPage page(WideTemplate());
        Rect outer;
        Show(page, [&](Dialog& dialog) { outer = dialog.WindowRect(); });
        if (c.alignLeft)
            EXPECT_EQ(outer.left, desktop.left);
        else
            EXPECT_EQ(outer.right, desktop.right);
        if (c.alignTop)
            EXPECT_EQ(outer.top, desktop.top);
        else
            EXPECT_EQ(outer.bottom, desktop.bottom);
    }
}

TEST_F(WizardPageTest, UnknownCornerCentresTheWindowAndSetsTheCorner)
{
    const Rect desktop = DesktopRect();
    TestPage page(WideTemplate());
    Rect outer;
    Show(page, [&](Dialog& dialog) { outer = dialog.WindowRect(); });
    const int centreX = (desktop.left + desktop.right) / 2;
    const int centreY = (desktop.top + desktop.bottom) / 2;
    EXPECT_EQ(outer.left, centreX - outer.width() / 2);
    EXPECT_EQ(outer.top, centreY - outer.height() / 2);
    EXPECT_TRUE(hostValues().cornerKnown);
    EXPECT_EQ(hostValues().cornerX, centreX + outer.width() / 2);
    EXPECT_EQ(hostValues().cornerY, centreY + outer.height() / 2);
}

TEST_F(WizardPageTest, LeavingRecordsResultAndPostsTheCornerToTheHost)
{
    struct Case {
        int button;
        PageResult result;
    };
    const Case cases[] = {
        {kBackButton, PageResult::Back},
        {kNextButton, PageResult::Next},
        {kFinishButton, PageResult::Finish},
    };
    hostValues().hostThreadId = 4242;
    hostValues().hostThreadKnown = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        messenger.posted.clear();
        TestPage page(WideTemplate());
        page.result = PageResult::Cancel;
        Rect outer;
        bool stillRunning = true;
        Show(page, [&](Dialog& dialog) {
            // The user moves the window before leaving; the new corner is what counts.
            Rect moved = dialog.WindowRect();
            moved.left -= 30;
            moved.right -= 30;
            moved.top -= 20;
            moved.bottom -= 20;
            dialog.MoveWindow(moved);
            outer = dialog.WindowRect();
            dialog.Click(c.button);
            stillRunning = dialog.IsRunning();
        });
        EXPECT_FALSE(stillRunning);
        EXPECT_EQ(page.result, c.result);
        EXPECT_EQ(hostValues().cornerX, outer.right);
        EXPECT_EQ(hostValues().cornerY, outer.bottom);
        EXPECT_EQ(messenger.posted, (std::vector<PostedPageExit>{{4242, outer.right, outer.bottom}}));
    }
}

TEST_F(WizardPageTest, NothingIsPostedWithoutTheHostThread)
{
    TestPage next(WideTemplate());
    Show(next, [&](Dialog& dialog) { dialog.Click(kNextButton); });
    EXPECT_EQ(next.result, PageResult::Next);
    TestPage cancelled(WideTemplate());
    Show(cancelled, [&](Dialog& dialog) { dialog.PressEscape(); });
    EXPECT_EQ(cancelled.result, PageResult::Cancel);
    EXPECT_TRUE(messenger.posted.empty());
}

TEST_F(WizardPageTest, FailedCheckKeepsThePageOpenAndPostsNothing)
{
    hostValues().hostThreadId = 7;
    hostValues().hostThreadKnown = true;
    for (const int button : {kBackButton, kNextButton, kFinishButton}) {
        SCOPED_TRACE(button);
        messenger.posted.clear();
        TestPage page(WideTemplate());
        page.valid = false;
        page.result = PageResult::Cancel;
        bool stillRunning = false;
        size_t postedWhileOpen = 99;
        Show(page, [&](Dialog& dialog) {
            dialog.Click(button);
            stillRunning = dialog.IsRunning();
            postedWhileOpen = messenger.posted.size();
            // Leave through the close box so the window ends with Cancel.
            dialog.PressEscape();
        });
        EXPECT_TRUE(stillRunning);
        EXPECT_EQ(postedWhileOpen, 0u);
        EXPECT_EQ(page.validations, 1);
    }
}

TEST_F(WizardPageTest, CancelPostsTheCornerSavedBeforeEvenAfterAMove)
{
    hostValues().hostThreadId = 31;
    hostValues().hostThreadKnown = true;
    hostValues().cornerX = 500;
    hostValues().cornerY = 400;
    hostValues().cornerKnown = true;
    TestPage page(WideTemplate());
    Show(page, [&](Dialog& dialog) {
        Rect moved = dialog.WindowRect();
        moved.left += 17;
        moved.right += 17;
        dialog.MoveWindow(moved);
        dialog.Click(kCancelButton);
    });
    EXPECT_EQ(page.result, PageResult::Cancel);
    EXPECT_EQ(page.validations, 0);
    EXPECT_EQ(messenger.posted, (std::vector<PostedPageExit>{{31, 500, 400}}));
}

TEST_F(WizardPageTest, EnterOnTheLastPageLeavesWithNextThoughNextIsDisabled)
{
    TestPage page(WideTemplate());
    page.buttonMode = ButtonMode::LastPage;
    page.result = PageResult::Cancel;
    Show(page, [&](Dialog& dialog) { dialog.PressEnter(); });
    EXPECT_EQ(page.result, PageResult::Next);
}

TEST_F(WizardPageTest, HelpGoesToTheApplication)
{
    TestPage page(WideTemplate());
    Show(page, [&](Dialog& dialog) { dialog.PressF1(); });
    // The application has no help file beside an executable it has not located yet.
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].first, "Tarnwick Plug-In Manager");
    EXPECT_EQ(messages.shown[0].second.rfind("Can't find the Dorvane help file ", 0), 0u);
}

} // namespace
