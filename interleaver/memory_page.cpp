#include "interleaver/memory_page.h"

#include "host/wizard_app.h"
#include "interleaver/refresh_preview.h"
#include "interleaver/user_guide.h"
#include "resources/dialog_templates.h"
#include "settings/interleaver_settings.h"

namespace {

constexpr int kInternalButton = 1153;
constexpr int kExternalButton = 1154;
constexpr int kLatencyText = 1039;
constexpr int kResourceText = 1037;

} // namespace

MemoryPage::MemoryPage(InterleaverSettings& settings, SymbolGraphic& symbol)
    : PreviewPage(kMemoryTemplate, &symbol, settings)
{
}

bool MemoryPage::InitPage()
{
    const bool focusFirst = PreviewPage::InitPage();
    // Short names; the texts themselves are what a screen reader reads as their descriptions.
    dialog()->SetAccessibleName(kLatencyText, "Latency");
    dialog()->SetAccessibleName(kResourceText, "Memory");
    Refresh();
    return focusFirst;
}

void MemoryPage::OnCommand(int id, Notification code)
{
    if (code == Notification::Clicked && id == kInternalButton) {
        settings.INTERNAL_DPRAM = 1;
        settings.EXTERNAL_DPRAM = 0;
        Refresh();
    } else if (code == Notification::Clicked && id == kExternalButton) {
        settings.INTERNAL_DPRAM = 0;
        settings.EXTERNAL_DPRAM = 1;
        Refresh();
    } else {
        PreviewPage::OnCommand(id, code);
    }
}

void MemoryPage::OnHelp()
{
    if (app() != nullptr)
        OpenUserGuide(app()->executablePath());
}

std::string MemoryPage::ResourceText(const InterleaverSettings& settings)
{
    const bool convolutional = settings.CONVOLUTIONAL == 1;
    const std::string structure = std::string(convolutional ? "convolutional " : "block ")
        + (settings.INTERLEAVER == 1 ? "interleaver" : "deinterleaver");
    const std::string memory = convolutional ? "dual port ram" : "single port ram";
    return "This " + structure + " uses a " + memory + " of " + std::to_string(settings.memoryWords()) + " words of "
        + std::to_string(settings.SYMBOL_WIDTH) + " bits";
}

std::string MemoryPage::LatencyText(const InterleaverSettings& settings)
{
    const std::string cycles = std::to_string(settings.latencyCycles());
    if (settings.CONVOLUTIONAL == 1)
        return "When clken signal goes high, the symbols are transmitted in a continous stream. The "
               "latency between the first interleaver input symbol and the first deinterleaver "
               "output symbol is "
            + cycles + " clock cycles.";
    const std::string flow =
        settings.INTERNAL_DPRAM == 1 ? "the signal next_din stays high" : "the signal block_full stays low";
    return "When clken signal goes high, the symbols are transmitted in discrete flow as long as " + flow
        + ". The delay between the first valid interleaver input symbol and the first valid "
          "deinterleaver output symbol is "
        + cycles + " clock cycles";
}

void MemoryPage::Refresh()
{
    Dialog& window = *dialog();
    window.SetControlText(kResourceText, ResourceText(settings));
    window.SetControlText(kLatencyText, LatencyText(settings));
    window.SetCheck(kInternalButton, settings.INTERNAL_DPRAM == 1);
    window.SetCheck(kExternalButton, settings.EXTERNAL_DPRAM == 1);
    RefreshPreview(panel(), settings, BaseName());
}
