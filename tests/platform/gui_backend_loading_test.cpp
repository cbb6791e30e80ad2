// A program laid out as an installed wizard is: its executable in bin/, the GUI backend library in
// lib/zorvex/, nothing of the toolkit linked in.
#include "platform/dialog.h"
#include "platform/gui_backend.h"

#include "tests/platform/environment_guard.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

bool ToolkitMapped()
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find("libQt6") != std::string::npos || line.find("libzorvex_qt.so") != std::string::npos)
            return true;
    }
    return false;
}

class EndingHandler : public DialogHandler {
public:
    bool OnInitDialog() override { return true; }
    void OnCommand(int, Notification) override {}
    void OnOk() override {}
    void OnCancel() override {}
    void OnHelp() override {}
};

} // namespace

TEST(GuiBackendLoading, ToolkitIsLoadedFromTheInstalledLibraryWhenADialogFirstRuns)
{
    EnvironmentGuard environment({{"QT_QPA_PLATFORM", std::string("offscreen")}});
    ASSERT_FALSE(ToolkitMapped());

    ControlTemplate button;
    button.id = 7;
    button.kind = ControlKind::PushButton;
    button.text = "&Apply";
    button.cx = 40;
    button.cy = 14;
    DialogTemplate dialogTemplate;
    dialogTemplate.cx = 100;
    dialogTemplate.cy = 50;
    dialogTemplate.caption = "Loaded";
    dialogTemplate.controls = {button};
    EndingHandler handler;
    Dialog dialog(dialogTemplate, handler);
    EXPECT_FALSE(ToolkitMapped()) << "a dialog that has not run needs no toolkit";

    std::string caption;
    std::string buttonText;
    Dialog::SetShownHook([&](Dialog& shown) {
        caption = shown.WindowText();
        buttonText = shown.ControlText(7);
        shown.EndDialog(5);
    });
    EXPECT_EQ(dialog.RunModal(), 5);
    Dialog::SetShownHook(nullptr);
    EXPECT_EQ(caption, "Loaded");
    EXPECT_EQ(buttonText, "&Apply");

    EXPECT_TRUE(ToolkitMapped());
    EXPECT_NE(FindGuiBackend(), nullptr);
    const Rect desktop = DesktopRect();
    EXPECT_GT(desktop.width(), 0);
    EXPECT_GT(desktop.height(), 0);
}
