#pragma once

#include "host/wizard_app.h"

#include <future>
#include <string>

struct InterleaverSettings;

// The interleaver's application object: its three parameter pages and the summary, and the
// mapping of its settings onto the interface model and back.
class InterleaverWizard : public WizardApp {
public:
    InterleaverWizard(InterleaverSettings& settings, SymbolGraphic& symbol, WizardServices services);

    bool CreatePages() override;
    void LoadSettings() override;
    // Keeps only the stored settings: nothing else of an earlier variation is used.
    bool ReadRetrievalInfo(std::istream& file) override;
    void StoreSettings() override;

    InterleaverSettings& settings;

private:
    std::string VectorFilePath() const;
    // Begins writing the vector file from a copy of the settings on a second thread.
    void StartVectorFile();

    std::future<bool> vectorFile_;
};

extern const char* const kInterleaverTitle;
