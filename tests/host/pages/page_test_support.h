#pragma once

#include "host/host_values.h"
#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <functional>

// The platform learns the size of a window's frame from the first window it shows; until then
// outer rectangles equal client rectangles. Showing one window first keeps the outer sizes the
// tests check independent of the order in which the tests run.
inline void LearnWindowFrame()
{
    static bool learnt = false;
    if (learnt)
        return;
    learnt = true;
    struct Closer : DialogHandler {
        Dialog* dialog = nullptr;
        bool OnInitDialog() override { return true; }
        void OnCommand(int, Notification) override {}
        void OnOk() override {}
        void OnCancel() override { dialog->EndDialog(2); }
        void OnHelp() override {}
    } closer;
    const DialogTemplate empty{1, 100, 50, "", {}};
    Dialog dialog(empty, closer);
    closer.dialog = &dialog;
    Dialog::SetShownHook([](Dialog& shown) {
        shown.WindowRect();
        shown.PressEscape();
    });
    dialog.RunModal();
    Dialog::SetShownHook(nullptr);
}

// Runs every page window of a test through `onShown` and makes sure none stays open: whatever the
// test leaves running is cancelled, so a failing test never blocks.
class PageFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        LearnWindowFrame();
        hostValues() = HostValues{};
    }
    void TearDown() override { Dialog::SetShownHook(nullptr); }

    void WhenShown(std::function<void(Dialog&)> onShown)
    {
        Dialog::SetShownHook([onShown](Dialog& dialog) {
            onShown(dialog);
            if (dialog.IsRunning())
                dialog.PressEscape();
        });
    }
};

// The rectangle of a button-row control given as offsets from the outer rectangle's lower-right
// corner, in the dialog's client coordinates.
inline Rect FromLowerRight(const Dialog& dialog, int left, int top, int right, int bottom)
{
    const Rect outer = dialog.WindowRect();
    const int originX = outer.left + dialog.ClientOffsetX();
    const int originY = outer.top + dialog.ClientOffsetY();
    return Rect{outer.right - left - originX, outer.bottom - top - originY,
                outer.right - right - originX, outer.bottom - bottom - originY};
}
