#pragma once

#include "host/preview_page.h"

#include <string>

// First parameter page: the algorithm (convolutional, or block in discrete mode) and the
// direction (interleaver or deinterleaver).
class AlgorithmPage : public PreviewPage {
public:
    AlgorithmPage(InterleaverSettings& settings, SymbolGraphic& symbol);

    bool InitPage() override;
    std::string Title() const override { return "Algorithm and direction"; }
    void OnCommand(int id, Notification code) override;
    void OnHelp() override;

private:
    // Shows the flags as check states, then refreshes the preview.
    void Refresh();
};
