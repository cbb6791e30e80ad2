#pragma once

#include "host/host_values.h"
#include "host/wizard_app.h"
#include "host/wizard_page.h"
#include "settings/interleaver_settings.h"
#include "resources/dialog_templates.h"
#include "symbol/symbol_graphic.h"
#include "tests/support/recording_services.h"

#include <gtest/gtest.h>

#include <functional>

// The world of a page: the settings at their initial values, the symbol graphic and an application
// for the design /work/f.tdf whose messages and host posts are recorded.
class PageFixture : public ::testing::Test {
protected:
    PageFixture()
        : symbol(ReferenceSymbolWidth(), 192),
          app("ZORVEX - 1.00", symbol, WizardServices{messages, messenger, "/nonexistent/zorvex"})
    {
        app.directory = "/work/";
        app.baseName = "f";
        app.extension = ".tdf";
    }

    void SetUp() override
    {
        // The platform learns the size of window frames from the first window it shows; showing
        // one first keeps the outer sizes the tests check independent of the order they run in.
        static bool frameKnown = false;
        if (!frameKnown) {
            frameKnown = true;
            Show(*std::make_unique<WizardPage>(kSummaryTemplate), [](Dialog& d) { d.WindowRect(); });
        }
        hostValues() = HostValues{};
    }
    void TearDown() override { Dialog::SetShownHook(nullptr); }

    // Shows the page, hands its running window to onShown, and cancels whatever is left open, so
    // a failing test never blocks.
    void Show(WizardPage& page, std::function<void(Dialog&)> onShown)
    {
        page.SetApp(&app);
        Dialog::SetShownHook([onShown](Dialog& dialog) {
            onShown(dialog);
            if (dialog.IsRunning())
                dialog.PressEscape();
        });
        page.ShowModal();
    }

    InterleaverSettings settings;
    RecordingMessages messages;
    RecordingMessenger messenger;
    SymbolGraphic symbol;
    WizardApp app;
};

// A button-row rectangle given by offsets from the outer lower-right corner, in client coordinates.
inline Rect FromLowerRight(const Dialog& dialog, int left, int top, int right, int bottom)
{
    const Rect outer = dialog.WindowRect();
    const int x = outer.right - outer.left - dialog.ClientOffsetX();
    const int y = outer.bottom - outer.top - dialog.ClientOffsetY();
    return Rect{x - left, y - top, x - right, y - bottom};
}
