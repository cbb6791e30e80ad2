#include "host/summary_page.h"

#include "resources/dialog_templates.h"

SummaryPage::SummaryPage(const std::string& directoryPath) : WizardPage(kSummaryTemplate), directory(directoryPath)
{
}

void SummaryPage::AddFile(const std::string& name)
{
    fileList += "$" + name;
}

std::vector<std::string> SummaryPage::ListedFiles() const
{
    std::vector<std::string> files;
    size_t start = 0;
    while (start <= fileList.size()) {
        size_t end = fileList.find_first_of("$\n", start);
        if (end == std::string::npos)
            end = fileList.size();
        const std::string piece = fileList.substr(start, end - start);
        // Only '/' separates directories, so a name without one lies in the design's directory.
        if (!piece.empty())
            files.push_back(piece.find('/') != std::string::npos ? piece : directory + piece);
        start = end + 1;
    }
    return files;
}

bool SummaryPage::InitPage()
{
    const bool focusFirst = WizardPage::InitPage();
    for (const std::string& file : ListedFiles())
        dialog()->ListAppend(kSummaryFileList, file);
    return focusFirst;
}

void SummaryPage::OnOk()
{
    if (PrepareLeave())
        OnNext();
}
