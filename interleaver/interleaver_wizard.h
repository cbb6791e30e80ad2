#pragma once

#include "host/wizard_app.h"

#include <future>
#include <memory>
#include <string>

class AtomicFile;
struct InterleaverSettings;

// The interleaver's application object: its three parameter pages and the summary, and the
// mapping of its settings onto the interface model and back.
class InterleaverWizard : public WizardApp {
public:
    InterleaverWizard(InterleaverSettings& settings, SymbolGraphic& symbol, WizardServices services);
    ~InterleaverWizard() override;

    bool CreatePages() override;
    void LoadSettings() override;
    // Keeps only the stored settings: nothing else of an earlier variation is used.
    bool ReadRetrievalInfo(std::istream& file) override;
    void StoreSettings() override;
    // Puts the vector file written by StoreSettings in place once the retrieval information is,
    // and drops it when that could not be written.
    void RetrievalInfoWritten(bool written) override;

    InterleaverSettings& settings;

private:
    std::string VectorFilePath() const;
    // Begins writing the vector file from a copy of the settings on a second thread.
    void StartVectorFile();

    std::future<std::unique_ptr<AtomicFile>> vectorFile_;
    // The vector file written but not yet in place; null when it could not be created.
    std::unique_ptr<AtomicFile> writtenVectorFile_;
};

extern const char* const kInterleaverTitle;
