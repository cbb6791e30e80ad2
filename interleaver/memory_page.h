#pragma once

#include "host/preview_page.h"

#include <string>

// Third parameter page: internal or external memory, with the memory size and latency texts.
class MemoryPage : public PreviewPage {
public:
    MemoryPage(InterleaverSettings& settings, SymbolGraphic& symbol);

    bool InitPage() override;
    std::string Title() const override { return "Memory implementation"; }
    void OnCommand(int id, Notification code) override;
    void OnHelp() override;

    // The texts the page shows for the given settings.
    static std::string ResourceText(const InterleaverSettings& settings);
    static std::string LatencyText(const InterleaverSettings& settings);

private:
    // Shows the texts and the check states, then refreshes the preview.
    void Refresh();
};
