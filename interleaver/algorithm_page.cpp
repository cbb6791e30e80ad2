#include "interleaver/algorithm_page.h"

#include "host/wizard_app.h"
#include "interleaver/refresh_preview.h"
#include "interleaver/user_guide.h"
#include "resources/dialog_templates.h"
#include "settings/interleaver_settings.h"

namespace {

constexpr int kConvolutionalButton = 1155;
constexpr int kBlockButton = 1157;
constexpr int kInterleaverButton = 1151;
constexpr int kDeinterleaverButton = 1152;

} // namespace

AlgorithmPage::AlgorithmPage(InterleaverSettings& settings, SymbolGraphic& symbol)
    : PreviewPage(kAlgorithmTemplate, &symbol, settings)
{
}

bool AlgorithmPage::InitPage()
{
    const bool focusFirst = PreviewPage::InitPage();
    Refresh();
    return focusFirst;
}

void AlgorithmPage::OnCommand(int id, Notification code)
{
    if (code != Notification::Clicked) {
        PreviewPage::OnCommand(id, code);
        return;
    }
    // Picking an algorithm always leaves discrete or convolutional mode: the continuous block
    // mode is only ever restored from a stored design.
    switch (id) {
    case kConvolutionalButton:
        settings.CONVOLUTIONAL = 1;
        settings.BLOCK = 0;
        settings.BLOCK_CONTINOUS = 0;
        break;
    case kBlockButton:
        settings.CONVOLUTIONAL = 0;
        settings.BLOCK = 1;
        settings.BLOCK_CONTINOUS = 0;
        break;
    case kInterleaverButton:
        settings.INTERLEAVER = 1;
        settings.DEINTERLEAVER = 0;
        break;
    case kDeinterleaverButton:
        settings.INTERLEAVER = 0;
        settings.DEINTERLEAVER = 1;
        break;
    default:
        PreviewPage::OnCommand(id, code);
        return;
    }
    Refresh();
}

void AlgorithmPage::OnHelp()
{
    if (app() != nullptr)
        OpenUserGuide(app()->executablePath());
}

void AlgorithmPage::Refresh()
{
    Dialog& window = *dialog();
    window.SetCheck(kConvolutionalButton, settings.CONVOLUTIONAL == 1);
    window.SetCheck(kBlockButton, settings.BLOCK == 1);
    window.SetCheck(kInterleaverButton, settings.INTERLEAVER == 1);
    window.SetCheck(kDeinterleaverButton, settings.DEINTERLEAVER == 1);
    RefreshPreview(panel(), settings, BaseName());
}
