#include "interleaver/interleaver_wizard.h"

#include "interleaver/algorithm_page.h"
#include "interleaver/characteristics_page.h"
#include "interleaver/memory_page.h"
#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "platform/path_split.h"
#include "settings/interleaver_settings.h"
#include "settings/settings_mapping.h"
#include "settings/vector_file.h"
#include "symbol/interleaver_symbol.h"

const char* const kInterleaverTitle = "ZORVEX - 1.00";

InterleaverWizard::InterleaverWizard(InterleaverSettings& interleaverSettings, SymbolGraphic& symbolGraphic,
                                     WizardServices services)
    : WizardApp(kInterleaverTitle, symbolGraphic, std::move(services)), settings(interleaverSettings)
{
}

InterleaverWizard::~InterleaverWizard() = default;

bool InterleaverWizard::CreatePages()
{
    AddPage(std::make_unique<AlgorithmPage>(settings, symbol));
    AddPage(std::make_unique<CharacteristicsPage>(settings, symbol));
    AddPage(std::make_unique<MemoryPage>(settings, symbol));
    AddSummaryPage();
    const bool ok = WizardApp::CreatePages();
    // A silent run goes straight to writing the variation with the settings it has now, so the
    // vector file, its largest output, is begun at once and written while the symbol's fonts are
    // found and the symbol is laid out.
    if (ok && silent)
        StartVectorFile();
    LayOutInterleaverSymbol(symbol, settings, baseName);
    return ok;
}

std::string InterleaverWizard::VectorFilePath() const
{
    // The vector file goes to the current directory, named after the design file.
    return baseName + SiblingExtension(Sibling::Vectors);
}

void InterleaverWizard::StartVectorFile()
{
    vectorFile_ = std::async(std::launch::async, [path = VectorFilePath(), copy = settings] {
        return WriteUncommittedVectorFile(path, copy);
    });
}

void InterleaverWizard::RetrievalInfoWritten(bool written)
{
    std::unique_ptr<AtomicFile> file = std::move(writtenVectorFile_);
    if (written && (file == nullptr || !file->Commit()))
        messages().Show(kHostTitle, "Can't write file " + VectorFilePath());
}

bool InterleaverWizard::ReadRetrievalInfo(std::istream& file)
{
    return model.ReadPrivates(file, PrivateSettingNames());
}

void InterleaverWizard::LoadSettings()
{
    LoadSettingsFromModel(settings, model);
}

void InterleaverWizard::StoreSettings()
{
    model.Clear();
    // Written now, put in place after the retrieval information: a run that cannot write that
    // changes no file.
    writtenVectorFile_ =
        vectorFile_.valid() ? vectorFile_.get() : WriteUncommittedVectorFile(VectorFilePath(), settings);
    // A vector file that failed gives its space back at once: a full disk must not take the room
    // the retrieval information needs.
    if (writtenVectorFile_ != nullptr && writtenVectorFile_->stream().bad())
        writtenVectorFile_.reset();
    const std::string moduleName = ModuleName(settings);
    AddModule(moduleName, moduleName, -1);
    AddInterleaverEntries(settings, model);
    LayOutInterleaverSymbol(symbol, settings, baseName);
}
