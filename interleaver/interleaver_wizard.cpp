#include "interleaver/interleaver_wizard.h"

#include "interleaver/algorithm_page.h"
#include "interleaver/characteristics_page.h"
#include "interleaver/interleaver_settings.h"
#include "interleaver/memory_page.h"
#include "interleaver/settings_mapping.h"
#include "interleaver/vector_file.h"
#include "platform/messages.h"
#include "symbol/interleaver_symbol.h"

const char* const kInterleaverTitle = "ZORVEX - 1.00";

InterleaverWizard::InterleaverWizard(InterleaverSettings& interleaverSettings, SymbolGraphic& symbolGraphic,
                                     WizardServices services)
    : WizardApp(kInterleaverTitle, symbolGraphic, std::move(services)), settings(interleaverSettings)
{
}

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
    return baseName + ".vec";
}

void InterleaverWizard::StartVectorFile()
{
    vectorFile_ = std::async(std::launch::async, [path = VectorFilePath(), copy = settings] {
        return WriteVectorFileAt(path, copy);
    });
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
    const std::string vectorPath = VectorFilePath();
    const bool written = vectorFile_.valid() ? vectorFile_.get() : WriteVectorFileAt(vectorPath, settings);
    if (!written)
        messages().Show(kHostTitle, "Can't write file " + vectorPath);
    const std::string moduleName = ModuleName(settings);
    AddModule(moduleName, moduleName, -1);
    AddInterleaverEntries(settings, model);
    LayOutInterleaverSymbol(symbol, settings, baseName);
}
