#pragma once

#include "host/host_values.h"
#include "host/page_result.h"
#include "host/wizard_command_line.h"
#include "model/interface_model.h"

#include <cstddef>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class Messages;
class HostMessenger;
class SymbolGraphic;
class WizardPage;

// Title of host-level messages (start-up, files, help).
extern const char* const kHostTitle;

// What the application needs from the operating system; tests replace every part.
struct WizardServices {
    Messages& messages;
    HostMessenger& messenger;
    std::string executablePath;
    // Whether the pages can be shown, asked once before the first page; a run without a display
    // fails start-up instead of finishing unseen.
    std::function<bool()> pagesCanBeShown = [] { return true; };
};

// The application object: command line and start-up, the page loop, finishing, messages.
class WizardApp {
public:
    WizardApp(const std::string& title, SymbolGraphic& symbol, WizardServices services);
    virtual ~WizardApp();
    WizardApp(const WizardApp&) = delete;
    WizardApp& operator=(const WizardApp&) = delete;

    // The whole run from a command line (program name first). False when start-up failed.
    bool Run(const std::string& commandLineText);
    // The whole run from the process arguments, joined into one command line. An argument the
    // command line cannot carry unchanged fails start-up with a message naming it.
    bool Run(int argc, const char* const* argv);
    // The process exit status: result, with Back reported as 3.
    int ExitCode() const;

    // Shows text in a message box titled baseName + " - " + title. Returns 0.
    virtual int ReportMessage(const std::string& text);
    virtual bool CreatePages();
    virtual void FinishWizard();
    virtual bool CanFinish() { return true; }
    virtual void LoadSettings();
    virtual void StoreSettings();
    // Called once the retrieval information has been written (written) or has failed to be:
    // files that must change only with it are put in place or dropped here.
    virtual void RetrievalInfoWritten(bool written) { (void)written; }
    // Reads the retrieval information into the model; false when it could not be read whole.
    virtual bool ReadRetrievalInfo(std::istream& file);
    // Writes the model; false when the stream failed.
    virtual bool WriteRetrievalInfo(std::ostream& file);
    virtual void ReleasePages();

    // Appends the page; without a page, the fatal error (message, then exit status 1).
    void AddPage(std::unique_ptr<WizardPage> page);
    void AddSummaryPage();
    void AddModule(const std::string& moduleName, const std::string& instanceBase, int index);
    // The help command outside the parameter pages: checks for the host's help file.
    void OnHelp();

    Messages& messages() { return services_.messages; }
    HostMessenger& messenger() { return services_.messenger; }
    HostValues& host() { return hostValues(); }
    const std::string& executablePath() const { return services_.executablePath; }

    const std::string title;
    std::string moduleList;
    std::vector<std::unique_ptr<WizardPage>> pages;
    int currentPage = 1;
    std::string designPath;
    std::string baseName;
    std::string extension;
    std::string directory;
    std::string helpPath;
    bool newFile = false;
    bool silent = false;
    PageResult result = PageResult::Next;
    WizardCommandLine commandLine;
    SymbolGraphic& symbol;
    InterfaceModel model;

protected:
    void ParseCommandLine(const std::string& commandLineText);
    // Shows the pages until the run ends, then writes or deletes the retrieval information.
    void RunPageLoop();
    // Deletes directory + baseName + ".cnx"; a missing file is not an error.
    void RemoveRetrievalInfo();

private:
    WizardServices services_;
    const SymbolLineWriter* symbolWriter_ = nullptr;
    bool cnxWriteFailed_ = false;
};
