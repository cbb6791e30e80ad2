#include "tarnwick/staged_design.h"

#include "platform/atomic_file.h"
#include "platform/printable_text.h"
#include "platform/run_stamp.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <vector>

StagedDesign::~StagedDesign()
{
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

bool StagedDesign::Create(const Design& design, const std::string* retrievalInfo, std::string& error)
{
    const SplitPath& name = design.name();
    // Beside the design, so that its files are on the same file system and the folder is found
    // where a user looks for leftovers.
    // The run's stamp in the name tells a later run whether the run that made it has ended.
    std::string pattern = (name.directory.empty() ? std::string("./") : name.directory)
        + std::string(kWorkingFolderPrefix) + RunStamp::OfThisProcess().Text() + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make a working folder beside " + PrintableText(design.path()) + ": " + std::strerror(errno);
        return false;
    }
    folder_ = std::filesystem::absolute(pattern).string() + "/";
    stagedDesign_ = name.baseName + name.extension;
    design_ = Design(folder_ + stagedDesign_, DesignKind::WorkingCopy);
    newVariation_ = retrievalInfo == nullptr;
    if (newVariation_)
        return true;

    AtomicFile file;
    if (!file.Open(design_.PathOf(FileRole::RetrievalInfo), AtomicFile::Durability::Regenerable)) {
        error = "cannot write in " + PrintableText(folder_);
        return false;
    }
    file.stream() << *retrievalInfo;
    if (!file.Commit()) {
        error = "cannot write in " + PrintableText(folder_);
        return false;
    }
    return true;
}
