#pragma once

#include "host/wizard_app.h"

struct InterleaverSettings;

// The interleaver's application object: its three parameter pages and the summary, and the
// mapping of its settings onto the interface model and back.
class InterleaverWizard : public WizardApp {
public:
    InterleaverWizard(InterleaverSettings& settings, SymbolGraphic& symbol, WizardServices services);

    bool CreatePages() override;
    void LoadSettings() override;
    void StoreSettings() override;

    InterleaverSettings& settings;
};

extern const char* const kInterleaverTitle;
