#pragma once

#include "platform/path_split.h"

#include <string>
#include <string_view>

// The names a run gives what it leaves beside a design while it works: its working folder, and
// the link it keeps of a file it replaces; each then the run's stamp and six random characters.
constexpr std::string_view kWorkingFolderPrefix = ".tarnwick-";
constexpr std::string_view kKeptFilePrefix = ".tarnwick-kept-";

// Whether a design is the user's own or the working copy a run gives the wizard.
enum class DesignKind { InPlace, WorkingCopy };

// What a file is to a design.
enum class FileRole {
    RetrievalInfo,
    SimulationVectors,
    DesignFile,
    IncludeFile,
    ComponentDeclaration,
    SymbolFile,
    LibraryModule,
    Waveform,
    WaveformView,
    SynthesisLog,
};

// The role as the reports name it ("retrieval information", "design file", ...).
const char* RoleName(FileRole role);

// A design as one value: its path as the wizard takes it, split once, and its files' names.
class Design {
public:
    Design() = default;
    // fileName as the wizard takes it: the white space before it dropped.
    explicit Design(const std::string& fileName, DesignKind kind = DesignKind::InPlace);

    const std::string& path() const { return path_; }
    const SplitPath& name() const { return name_; }
    DesignKind kind() const { return kind_; }

    // The file of role beside the design; the vector file of a design in place is in the current
    // folder, where the wizard writes it. A library module's role has no one name: use Beside.
    std::string PathOf(FileRole role) const;
    // fileName in the design's folder.
    std::string Beside(const std::string& fileName) const { return name_.directory + fileName; }

private:
    std::string path_;
    SplitPath name_;
    DesignKind kind_ = DesignKind::InPlace;
};
