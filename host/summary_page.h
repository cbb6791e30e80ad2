#pragma once

#include "host/wizard_page.h"

#include <string>
#include <vector>

// Control id of the summary's file list.
constexpr int kSummaryFileList = 1010;

// The last page: lists the files the host's plug-in manager will create for the variation.
class SummaryPage : public WizardPage {
public:
    // directory is the design file's directory, put in front of every bare file name.
    explicit SummaryPage(const std::string& directory);

    // Adds a file name to the list ("$" + name appended to fileList).
    void AddFile(const std::string& name);
    // The entries of fileList as the page lists them: bare names after the directory, names with
    // a '/' as they are; empty entries are skipped.
    std::vector<std::string> ListedFiles() const;

    bool InitPage() override;
    void OnOk() override;

    std::string fileList;
    const std::string directory;
};
