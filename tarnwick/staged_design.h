#pragma once

#include "interleaver/interleaver_settings.h"

#include <string>

// A working copy of a design for a run with changed settings: a private folder beside the design
// holds the settings as retrieval information, and the wizard runs on a design of the same name
// there, with the folder as its current directory. Only when the wizard has finished are its files
// put in place of the design's own, so a refused or failed run leaves those as they were.
// designPath is the design as the wizard takes it, its leading white space trimmed.
class StagedDesign {
public:
    StagedDesign() = default;
    StagedDesign(const StagedDesign&) = delete;
    StagedDesign& operator=(const StagedDesign&) = delete;
    // Removes the folder with whatever the wizard left in it.
    ~StagedDesign();

    // Makes the folder beside designPath and writes settings into it as the design's retrieval
    // information. False with the reason in error.
    bool Create(const std::string& designPath, const InterleaverSettings& settings, std::string& error);

    // The design the wizard is started on, relative to the folder that is its current directory
    // (the folder's own path may hold what the wizard's command line cannot carry).
    const std::string& designPath() const { return stagedDesign_; }
    const std::string& folder() const { return folder_; }
    // The retrieval information and the vector file the wizard writes in the folder.
    std::string RetrievalInfoPath() const;
    std::string VectorFilePath() const;

private:
    std::string folder_;
    std::string stagedDesign_;
    std::string baseName_;
};

// Reads the settings stored in the retrieval information of designPath into settings, as the
// wizard restores them. False when the file cannot be read whole.
bool ReadStoredSettings(const std::string& designPath, InterleaverSettings& settings);
