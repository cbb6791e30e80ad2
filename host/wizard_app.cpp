#include "host/wizard_app.h"

#include "host/summary_page.h"
#include "host/wizard_page.h"
#include "platform/messages.h"
#include "platform/path_split.h"
#include "platform/process.h"
#include "platform/regular_file.h"
#include "symbol/symbol_graphic.h"

#include <cstdlib>
#include <sstream>

const char* const kHostTitle = "Tarnwick Plug-In Manager";

WizardApp::WizardApp(const std::string& wizardTitle, SymbolGraphic& symbolGraphic, WizardServices services)
    : title(wizardTitle), commandLine(hostValues()), symbol(symbolGraphic), services_(std::move(services))
{
    symbolWriter_ = &symbol;
    model.Attach(&moduleList, &symbolWriter_);
    pages.emplace_back(); // the placeholder: real pages are 1..N
}

WizardApp::~WizardApp() = default;

void WizardApp::ParseCommandLine(const std::string& commandLineText)
{
    std::string_view rest = commandLineText;
    std::string token;
    bool first = true;
    while (NextToken(rest, token)) {
        if (first) {
            first = false; // the program name is never interpreted
            continue;
        }
        bool isFlag = false;
        if (!token.empty() && (token[0] == '-' || token[0] == '/')) {
            isFlag = true;
            token.erase(0, 1);
        }
        if (!commandLine.ParseParameter(token, isFlag, false))
            messages().Show(kHostTitle, kUsageText);
    }
}

bool WizardApp::Run(int argc, const char* const* argv)
{
    // A design path holding a double quote would be split into other arguments by the one-line
    // grammar, so that another design could be written in its place.
    if (const char* argument = UncarriableArgument(argc, argv)) {
        messages().Show(kHostTitle,
                        *argument == '\0' ? std::string("Can't start the wizard -- an argument is empty")
                                          : std::string("Can't start the wizard -- the argument ") + argument
                                + " holds a double quote");
        return false;
    }
    return Run(JoinArguments(argc, argv));
}

bool WizardApp::Run(const std::string& commandLineText)
{
    ParseCommandLine(commandLineText);
    silent = commandLine.silent != 0;
    designPath = TrimDesignPath(commandLine.fileName);
    host().hostThreadId = commandLine.hostThreadId;
    if (designPath.empty()) {
        messages().Show(kHostTitle, "Can't start the wizard -- no design file has been specified");
        return false;
    }
    const SplitPath split = SplitDesignPath(designPath);
    directory = split.directory;
    baseName = split.baseName;
    extension = split.extension;
    newFile = commandLine.newFile != 0;
    helpPath = SplitDesignPath(executablePath()).directory + "dorvane.hlp";

    if (!CreatePages() || pages.size() < 2) {
        ReleasePages();
        return false;
    }
    if (!silent && !services_.pagesCanBeShown()) {
        messages().Show(kHostTitle, "Can't start the wizard -- no display to show the pages on");
        ReleasePages();
        return false;
    }
    RunPageLoop();
    return true;
}

int WizardApp::ExitCode() const
{
    if (cnxWriteFailed_)
        return 1;
    return result == PageResult::Back ? 3 : static_cast<int>(result);
}

int WizardApp::ReportMessage(const std::string& text)
{
    messages().Show(baseName + " - " + title, text);
    return 0;
}

bool WizardApp::CreatePages()
{
    if (pages.size() < 2) {
        messages().Show(kHostTitle, "Wizard has no valid pages");
        return false;
    }
    if (designPath.empty())
        return false;
    if (extension != ".vhd" && extension != ".tdf" && extension != ".v") {
        messages().Show(kHostTitle, "Can't start the wizard -- illegal extension in design file name");
        return false;
    }
    if (newFile)
        return true;
    // A file that cannot be read whole is never taken for an empty variation: the run would then
    // replace the stored settings with the defaults.
    const std::string path = directory + baseName + SiblingExtension(Sibling::RetrievalInfo);
    std::string contents;
    if (!ReadRegularFile(path, kMaxRetrievalInfoSize, contents)) {
        messages().Show(kHostTitle, "Can't open file " + path);
        return false;
    }
    std::istringstream file(std::move(contents));
    model.Clear();
    if (!ReadRetrievalInfo(file)) {
        messages().Show(kHostTitle, "Can't open file " + path);
        return false;
    }
    LoadSettings();
    return true;
}

void WizardApp::LoadSettings()
{
    for (size_t i = 1; i < pages.size(); ++i)
        pages[i]->LoadSettings();
}

void WizardApp::StoreSettings()
{
    for (size_t i = 1; i < pages.size(); ++i)
        pages[i]->StoreSettings();
}

bool WizardApp::ReadRetrievalInfo(std::istream& file)
{
    return model.Read(file);
}

bool WizardApp::WriteRetrievalInfo(std::ostream& file)
{
    model.Write(file);
    return static_cast<bool>(file);
}

void WizardApp::ReleasePages()
{
    model.Clear();
    pages.clear();
}

void WizardApp::AddPage(std::unique_ptr<WizardPage> page)
{
    if (!page) {
        ReportMessage(
            "Fatal error (assertion failed). The application is unable to continue. Please press OK to exit.");
        std::exit(1);
    }
    page->SetApp(this);
    pages.push_back(std::move(page));
}

void WizardApp::AddSummaryPage()
{
    auto page = std::make_unique<SummaryPage>(directory);
    page->AddFile(baseName + extension);
    page->AddFile(baseName + SiblingExtension(Sibling::Include));
    page->AddFile(baseName + SiblingExtension(Sibling::ComponentDeclaration));
    if (commandLine.symbolFile)
        page->AddFile(baseName + SiblingExtension(Sibling::Symbol));
    AddPage(std::move(page));
}

void WizardApp::AddModule(const std::string& moduleName, const std::string& instanceBase, int index)
{
    moduleList += moduleName + "@" + FormatName(instanceBase, index) + "|";
}

void WizardApp::OnHelp()
{
    if (FileExists(helpPath))
        return;
    messages().Show(kHostTitle, "Can't find the Dorvane help file " + helpPath);
}
