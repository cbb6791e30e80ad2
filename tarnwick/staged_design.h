#pragma once

#include "design/design.h"

#include <string>

// A working copy of a design for a run: a private folder beside the design where the wizard runs;
// the design's own files are replaced only once the wizard has finished.
class StagedDesign {
public:
    StagedDesign() = default;
    StagedDesign(const StagedDesign&) = delete;
    StagedDesign& operator=(const StagedDesign&) = delete;
    // Removes the folder with whatever the wizard left in it.
    ~StagedDesign();

    // Makes the folder beside designPath and writes retrievalInfo into it as the design's retrieval
    // information; with none, the wizard is to start a new variation there. False with the reason
    // in error.
    bool Create(const Design& design, const std::string* retrievalInfo, std::string& error);

    // The design the wizard is started on, relative to the folder that is its current directory
    // (the folder's own path may hold what the wizard's command line cannot carry).
    const std::string& designPath() const { return stagedDesign_; }
    const std::string& folder() const { return folder_; }
    // Whether the folder holds no retrieval information, so that the wizard must be told -n.
    bool newVariation() const { return newVariation_; }
    // The design in the folder, whose files the wizard writes there.
    const Design& design() const { return design_; }

private:
    std::string folder_;
    std::string stagedDesign_;
    Design design_;
    bool newVariation_ = false;
};
