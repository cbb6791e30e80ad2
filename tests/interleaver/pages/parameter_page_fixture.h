#pragma once

#include "host/host_values.h"
#include "host/wizard_app.h"
#include "interleaver/interleaver_settings.h"
#include "platform/dialog.h"
#include "symbol/symbol_graphic.h"
#include "tests/support/recording_services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

// A parameter page's world: the settings at their initial values, the symbol graphic, and an
// application for the design /work/f.tdf whose messages and host posts are recorded.
class ParameterPageFixture : public ::testing::Test {
protected:
    ParameterPageFixture()
        : symbol(ReferenceSymbolWidth(), 192),
          app("ZORVEX - 1.00", symbol, WizardServices{messages, messenger, "/nonexistent/zorvex"})
    {
        app.baseName = "f";
        app.directory = "/work/";
        app.extension = ".tdf";
    }
    void SetUp() override { hostValues() = HostValues{}; }
    void TearDown() override { Dialog::SetShownHook(nullptr); }

    // Shows the page, hands the running window to onShown, and cancels whatever stays open.
    template <typename Page>
    void Show(Page& page, std::function<void(Dialog&)> onShown)
    {
        page.SetApp(&app);
        Dialog::SetShownHook([onShown](Dialog& dialog) {
            onShown(dialog);
            if (dialog.IsRunning())
                dialog.PressEscape();
        });
        page.ShowModal();
    }

    bool HasPin(const std::string& name) const
    {
        return std::any_of(symbol.pins.begin(), symbol.pins.end(),
                           [&](const auto& pin) { return pin->pinName == name; });
    }

    InterleaverSettings settings;
    RecordingMessages messages;
    RecordingMessenger messenger;
    SymbolGraphic symbol;
    WizardApp app;
};
