// Without a display, or without the GUI backend, dialogs and message boxes degrade to what a
// silent run needs: nothing is shown, nothing fails hard, messages still reach standard error.
#include "platform/dialog.h"
#include "platform/gui_backend.h"
#include "platform/gui_messages.h"

#include "tests/platform/environment_guard.h"

#include <gtest/gtest.h>

namespace {

class CountingHandler : public DialogHandler {
public:
    bool OnInitDialog() override { return ++calls, true; }
    void OnCommand(int, Notification) override { ++calls; }
    void OnOk() override { ++calls; }
    void OnCancel() override { ++calls; }
    void OnHelp() override { ++calls; }
    int calls = 0;
};

DialogTemplate OneButton()
{
    ControlTemplate button;
    button.id = 7;
    button.kind = ControlKind::PushButton;
    button.text = "&Apply";
    button.cx = 40;
    button.cy = 14;
    DialogTemplate t;
    t.cx = 100;
    t.cy = 50;
    t.caption = "Test";
    t.controls = {button};
    return t;
}

// Every operation of a dialog that could not be shown answers as one that is not running.
void ExpectNotShown(Dialog& dialog, const CountingHandler& handler)
{
    bool hookCalled = false;
    Dialog::SetShownHook([&hookCalled](Dialog&) { hookCalled = true; });
    EXPECT_EQ(dialog.RunModal(), -1);
    Dialog::SetShownHook(nullptr);
    EXPECT_FALSE(hookCalled);
    EXPECT_EQ(handler.calls, 0);

    dialog.SetWindowText("changed");
    dialog.CreateButton(8, "&Next >", Rect{0, 0, 60, 23}, true, true);
    dialog.Click(7);
    dialog.PressEnter();
    EXPECT_FALSE(dialog.IsRunning());
    EXPECT_EQ(dialog.WindowText(), "");
    EXPECT_EQ(dialog.WindowRect(), Rect{});
    EXPECT_FALSE(dialog.HasControl(7));
    EXPECT_FALSE(dialog.HasControl(8));
    EXPECT_EQ(dialog.ControlText(7), "");
    EXPECT_EQ(dialog.ComboSelection(7), -1);
    EXPECT_EQ(dialog.FocusId(), -1);
    EXPECT_TRUE(dialog.ListItems(7).empty());
    EXPECT_EQ(handler.calls, 0);
}

} // namespace

TEST(HeadlessGui, WithoutADisplayNoDialogIsShownAndTheDesktopIsEmpty)
{
    EnvironmentGuard environment(EnvironmentGuard::NoDisplay());
    CountingHandler handler;
    const DialogTemplate dialogTemplate = OneButton();
    Dialog dialog(dialogTemplate, handler);
    ExpectNotShown(dialog, handler);
    EXPECT_EQ(DesktopRect(), Rect{});
}

// A dead X server would make the toolkit end the process; the message must still get out.
TEST(HeadlessGui, MessagesGoToStandardErrorWhenTheDisplayIsMissingOrDead)
{
    for (const char* display : {"", ":59999", "nonsense"}) {
        EnvironmentGuard environment({{"DISPLAY", std::string(display)},
                                      {"WAYLAND_DISPLAY", std::nullopt},
                                      {"QT_QPA_PLATFORM", std::nullopt}});
        ::testing::internal::CaptureStderr();
        GuiMessages().Show("Tarnwick Plug-In Manager", "Can't open file /work/f.cnx");
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "Tarnwick Plug-In Manager: Can't open file /work/f.cnx\n")
            << display;
    }
}

// This test program neither links the backend nor has its library beside it.
TEST(HeadlessGui, WithADisplayButNoBackendLibraryNoDialogIsShown)
{
    EnvironmentGuard environment({{"QT_QPA_PLATFORM", std::string("offscreen")}});
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(FindGuiBackend(), nullptr);
    const std::string reported = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(reported.find("libzorvex_qt.so"), std::string::npos) << reported;

    CountingHandler handler;
    const DialogTemplate dialogTemplate = OneButton();
    Dialog dialog(dialogTemplate, handler);
    ExpectNotShown(dialog, handler);
}
