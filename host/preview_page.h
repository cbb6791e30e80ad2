#pragma once

#include "host/preview_panel.h"
#include "host/wizard_page.h"

#include <memory>
#include <string>

struct InterleaverSettings;
class SymbolGraphic;

// A page with the symbol preview panel at its left. The panel is made anew each time the page's
// window is laid out and goes with the window when the page closes.
class PreviewPage : public WizardPage {
public:
    // A null symbol gives a page without a panel.
    PreviewPage(int templateId, SymbolGraphic* symbol, InterleaverSettings& settings);
    ~PreviewPage() override;

    void ShowModal() override;
    void LayOut() override;

    // The panel while the page's window exists, else null.
    PreviewPanel* panel() const { return panel_.get(); }

protected:
    // The design's base name, which the symbol shows; empty while the page has no application.
    std::string BaseName() const;

    InterleaverSettings& settings;

private:
    SymbolGraphic* symbol_;
    std::unique_ptr<PreviewPanel> panel_;
};
