#include "host/preview_page.h"

#include "host/wizard_app.h"
#include "symbol/symbol_graphic.h"

#include <algorithm>

PreviewPage::PreviewPage(int templateId, SymbolGraphic* symbol, InterleaverSettings& settingsRef)
    : WizardPage(templateId), settings(settingsRef), symbol_(symbol)
{
}

PreviewPage::~PreviewPage() = default;

void PreviewPage::ShowModal()
{
    WizardPage::ShowModal();
    // The panel's window has gone with the dialog; a refresh until the next showing does nothing.
    panel_.reset();
}

void PreviewPage::LayOut()
{
    if (symbol_ == nullptr) {
        WizardPage::LayOut();
        return;
    }
    Dialog& window = *dialog();
    const Rect outer = window.WindowRect();
    const int width = outer.width();
    const int height = outer.height();
    separatorWidth_ = width;
    const int panelWidth = symbol_->panelWidth();
    const int newWidth = std::max(width + panelWidth, MinimumPageWidth());
    const int newHeight = std::max(height + ButtonRowHeight(), symbol_->panelHeight);
    window.MoveWindow(Rect{outer.left, outer.top, outer.left + newWidth, outer.top + newHeight});

    // The template's controls make room for the panel; the panel reaches down the whole window.
    window.ShiftChildren(panelWidth, 0);
    if (panel_ != nullptr) {
        window.DestroyControl(kPreviewPanelId);
        panel_.reset();
    }
    const int panelHeight = window.WindowRect().height();
    panel_ = std::make_unique<PreviewPanel>(window, *symbol_, Rect{0, 0, panelWidth, panelHeight});
}

std::string PreviewPage::BaseName() const
{
    return app() != nullptr ? app()->baseName : std::string();
}
