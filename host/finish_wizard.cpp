#include "host/wizard_app.h"

#include "platform/atomic_file.h"
#include "platform/design_lock.h"
#include "platform/messages.h"
#include "platform/path_split.h"

#include <cstdio>

namespace {

// How long the wizard waits for another run that is writing the same design.
constexpr long kDesignLockMilliseconds = 60 * 1000;

} // namespace

// Writes the variation: the model is rebuilt from the settings (which also writes the vector file
// and lays the symbol out), then the retrieval information replaces the old file in one step,
// and only then do the files written with it take their places. The design's lock is held while
// they are written, so that two runs on one design do not mix their files.
void WizardApp::FinishWizard()
{
    model.Clear();
    StoreSettings();
    if (designPath.empty()) {
        RetrievalInfoWritten(true);
        ReleasePages();
        return;
    }
    const std::string path = directory + baseName + SiblingExtension(Sibling::RetrievalInfo);
    // Where the folder cannot be locked (it is missing, say), writing is tried all the same and
    // gives the usual message when it fails.
    DesignLock lock;
    std::string lockError;
    const bool busy = lock.Acquire(
                          DesignLock::PathFor(directory), kDesignLockMilliseconds,
                          [this](pid_t holder) {
                              std::fprintf(stderr, "%s: waiting for process %d, which is writing it\n",
                                           (directory + baseName).c_str(), int(holder));
                          },
                          lockError)
        == DesignLock::Result::Busy;
    AtomicFile file;
    bool written = !busy && file.Open(path, AtomicFile::Durability::Durable);
    if (written) {
        written = WriteRetrievalInfo(file.stream());
        written = file.Commit() && written;
    }
    if (!written) {
        // The host must never take a run whose file is missing for a finished one.
        messages().Show(kHostTitle, "Can't write file " + path + (busy ? " -- " + lockError : ""));
        cnxWriteFailed_ = true;
    }
    RetrievalInfoWritten(written);
    ReleasePages();
}

void WizardApp::RemoveRetrievalInfo()
{
    std::remove((directory + baseName + SiblingExtension(Sibling::RetrievalInfo)).c_str());
}
