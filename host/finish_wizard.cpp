#include "host/wizard_app.h"

#include "platform/atomic_file.h"
#include "platform/messages.h"

#include <cstdio>

// Writes the variation: the model is rebuilt from the settings (which also writes the vector file
// and lays the symbol out), then the retrieval information replaces the old file in one step.
void WizardApp::FinishWizard()
{
    model.Clear();
    StoreSettings();
    if (!designPath.empty()) {
        const std::string path = directory + baseName + ".cnx";
        AtomicFile file;
        bool written = file.Open(path, AtomicFile::Durability::Durable);
        if (written) {
            written = WriteRetrievalInfo(file.stream());
            written = file.Commit() && written;
        }
        if (!written) {
            // The host must never take a run whose file is missing for a finished one.
            messages().Show(kHostTitle, "Can't write file " + path);
            cnxWriteFailed_ = true;
        }
    }
    ReleasePages();
}

void WizardApp::RemoveRetrievalInfo()
{
    std::remove((directory + baseName + ".cnx").c_str());
}
